#include "core/imaging/jpegtransform.h"

#include "core/imaging/imaging.h"
#include "core/imaging/turbojpeghandle.h"

namespace Imaging::Detail {

QByteArray turnJpegData(const QByteArray &jpeg, int angle, PartialBlocks partial)
{
    tjtransform transform{};
    switch (angle) {
    case 90:
        transform.op = TJXOP_ROT90;
        break;
    case 180:
        transform.op = TJXOP_ROT180;
        break;
    case 270:
        transform.op = TJXOP_ROT270;
        break;
    default:
        throw ImagingError(ErrorCode::UnsupportedAngle);
    }
    transform.options = partial == PartialBlocks::Trim ? TJXOPT_TRIM : TJXOPT_PERFECT;

    TurboJpegHandle handle(TurboJpegHandle::Kind::Transform);
    TurboJpegBuffer output;
    // Stop on warnings: a turn rewrites the user's file, and turning a damaged photo would make
    // its damage permanent under a name that looks whole.
    const int rc = tjTransform(handle.get(), reinterpret_cast<const unsigned char *>(jpeg.constData()),
                               static_cast<unsigned long>(jpeg.size()), 1, output.dataPointer(),
                               output.sizePointer(), &transform, TJFLAG_LIMITSCANS | TJFLAG_STOPONWARNING);
    if (rc != 0)
        throw ImagingError(ErrorCode::DamagedJpeg, handle.lastErrorText());
    if (*output.sizePointer() == 0)
        throw ImagingError(ErrorCode::DamagedJpeg);
    return output.toByteArray();
}

} // namespace Imaging::Detail
