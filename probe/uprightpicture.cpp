#include "probe/uprightpicture.h"

#include "core/imaging/imaging.h"

#include <algorithm>
#include <cmath>

namespace UprightPicture {

bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

QSize targetSize(QSize upright, QSize box, Scale scale)
{
    if (upright.isEmpty() || box.isEmpty())
        return upright;
    if (scale == Scale::Fit)
        return Imaging::fittedSize(upright, box);
    const double factor = std::max(double(box.width()) / upright.width(), double(box.height()) / upright.height());
    if (factor >= 1.0)
        return upright;
    return QSize(std::clamp(int(std::ceil(upright.width() * factor - 1e-9)), 1, upright.width()),
                 std::clamp(int(std::ceil(upright.height() * factor - 1e-9)), 1, upright.height()));
}

QSize storedTarget(QSize stored, int orientation, QSize box, Scale scale)
{
    const bool swap = swapsSides(orientation);
    const QSize target = targetSize(swap ? stored.transposed() : stored, box, scale);
    return swap ? target.transposed() : target;
}

QImage turned(const QImage &stored, int orientation)
{
    switch (orientation) {
    case 2: // top-right: mirrored left to right
        return stored.mirrored(true, false);
    case 3: // bottom-right: upside down
        return Imaging::turnedPicture(stored, 180);
    case 4: // bottom-left: mirrored top to bottom
        return stored.mirrored(false, true);
    case 5: // left-top: the picture's rows are its columns
        return Imaging::turnedPicture(stored, 90).mirrored(true, false);
    case 6: // right-top
        return Imaging::turnedPicture(stored, 90);
    case 7: // right-bottom
        return Imaging::turnedPicture(stored, 90).mirrored(false, true);
    case 8: // left-bottom
        return Imaging::turnedPicture(stored, 270);
    default:
        return stored;
    }
}

QImage scaledUpright(const QImage &stored, int orientation, QSize box, Scale scale)
{
    const QSize size = storedTarget(stored.size(), orientation, box, scale);
    QImage picture = stored;
    if (size != stored.size())
        picture = Imaging::resized(stored, size);
    else if (picture.format() != QImage::Format_RGB888)
        picture = picture.convertToFormat(QImage::Format_RGB888);
    picture = turned(picture, orientation);
    if (picture.format() != QImage::Format_RGB888)
        picture = picture.convertToFormat(QImage::Format_RGB888);
    if (picture.isNull())
        throw Imaging::ImagingError(Imaging::ErrorCode::OutOfMemory);
    return picture;
}

} // namespace UprightPicture
