#include "core/imaging/jpegwriter.h"

#include "core/imaging/imaging.h"
#include "core/imaging/turbojpeghandle.h"

namespace Imaging::Detail {

QByteArray compressPicture(const QImage &picture, int quality)
{
    if (picture.isNull())
        throw ImagingError(ErrorCode::InvalidSize);
    const QImage rgb = picture.format() == QImage::Format_RGB888 ? picture
                                                                  : picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        throw ImagingError(ErrorCode::OutOfMemory);
    // Chroma at half resolution is invisible at ordinary qualities and halves the work; the
    // highest qualities keep it whole, as a user asking for them expects.
    const int subsampling = quality >= 90 ? TJSAMP_444 : TJSAMP_420;

    TurboJpegHandle handle(TurboJpegHandle::Kind::Compress);
    TurboJpegBuffer output;
    if (tjCompress2(handle.get(), rgb.constBits(), rgb.width(), int(rgb.bytesPerLine()), rgb.height(), TJPF_RGB,
                    output.dataPointer(), output.sizePointer(), subsampling, quality, 0)
        != 0)
        throw ImagingError(ErrorCode::OutOfMemory);
    return output.toByteArray();
}

} // namespace Imaging::Detail
