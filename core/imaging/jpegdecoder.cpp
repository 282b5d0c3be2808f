#include "core/imaging/jpegdecoder.h"

#include "core/imaging/imaging.h"
#include "core/imaging/jpegsegments.h"
#include "core/imaging/turbojpeghandle.h"

#include <array>

namespace Imaging::Detail {

namespace {

struct Scale {
    int num;
    int denom;
};

// Reductions only; the IDCT does them while decoding, far cheaper than a resize afterwards.
constexpr std::array<Scale, 8> Reductions{{{1, 8}, {1, 4}, {3, 8}, {1, 2}, {5, 8}, {3, 4}, {7, 8}, {1, 1}}};

QSize scaled(QSize stored, Scale s)
{
    return {TJSCALED(stored.width(), (tjscalingfactor{s.num, s.denom})),
            TJSCALED(stored.height(), (tjscalingfactor{s.num, s.denom}))};
}

// Adobe's CMYK JPEGs keep their samples inverted; libjpeg-turbo hands them over as stored.
void cmykToRgb(const QImage &cmyk, QImage &rgb)
{
    for (int y = 0; y < cmyk.height(); ++y) {
        const uchar *in = cmyk.constScanLine(y);
        uchar *out = rgb.scanLine(y);
        for (int x = 0; x < cmyk.width(); ++x, in += 4, out += 3) {
            const unsigned k = in[3];
            out[0] = uchar(in[0] * k / 255);
            out[1] = uchar(in[1] * k / 255);
            out[2] = uchar(in[2] * k / 255);
        }
    }
}

struct Header {
    QSize size;
    int colorspace = -1;
};

Header readHeader(const TurboJpegHandle &handle, const QByteArray &jpeg, const JpegLayout &layout)
{
    if (!layout.startsWithSoi)
        throw ImagingError(ErrorCode::NotJpeg);
    // The frame header as stated, checked before the decoder sees it: libjpeg-turbo would
    // refuse an oversized side as a mere error, and would allocate for a huge surface.
    if (layout.frameWidth > MaximumSide || layout.frameHeight > MaximumSide
        || qint64(layout.frameWidth) * qint64(layout.frameHeight) > MaximumPixels)
        throw ImagingError(ErrorCode::TooLarge);

    int width = 0, height = 0, subsampling = -1, colorspace = -1;
    if (tjDecompressHeader3(handle.get(), reinterpret_cast<const unsigned char *>(jpeg.constData()),
                            static_cast<unsigned long>(jpeg.size()), &width, &height, &subsampling, &colorspace)
        != 0)
        throw ImagingError(ErrorCode::DamagedJpeg);
    // TurboJPEG leaves the sizes untouched on some damaged headers and reports success.
    if (width <= 0 || height <= 0)
        throw ImagingError(ErrorCode::DamagedJpeg);
    if (width > MaximumSide || height > MaximumSide || qint64(width) * qint64(height) > MaximumPixels)
        throw ImagingError(ErrorCode::TooLarge);
    return {QSize(width, height), colorspace};
}

} // namespace

QSize checkedJpegSize(const QByteArray &jpeg, const JpegLayout &layout)
{
    TurboJpegHandle handle(TurboJpegHandle::Kind::Decompress);
    return readHeader(handle, jpeg, layout).size;
}

QSize dctScaledSizeCovering(QSize stored, QSize target)
{
    if (target.isEmpty())
        return stored;
    for (const Scale &s : Reductions) {
        const QSize size = scaled(stored, s);
        if (size.width() >= target.width() && size.height() >= target.height())
            return size;
    }
    return stored;
}

DecodedPicture decodeJpeg(const QByteArray &jpeg, const JpegLayout &layout, QSize target, DecodeQuality quality,
                          Warnings warnings)
{
    TurboJpegHandle handle(TurboJpegHandle::Kind::Decompress);
    const Header header = readHeader(handle, jpeg, layout);
    const QSize stored = header.size;
    const QSize size = dctScaledSizeCovering(stored, target);
    const auto *data = reinterpret_cast<const unsigned char *>(jpeg.constData());
    const auto length = static_cast<unsigned long>(jpeg.size());
    const bool cmyk = header.colorspace == TJCS_CMYK || header.colorspace == TJCS_YCCK;

    int flags = TJFLAG_LIMITSCANS;
    if (quality == DecodeQuality::Fast)
        flags |= TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE;
    if (warnings == Warnings::Refuse)
        flags |= TJFLAG_STOPONWARNING;

    QImage picture(size, QImage::Format_RGB888);
    QImage cmykSamples;
    if (cmyk)
        cmykSamples = QImage(size, QImage::Format_RGBX8888);
    if (picture.isNull() || (cmyk && cmykSamples.isNull()))
        throw ImagingError(ErrorCode::OutOfMemory);

    QImage &output = cmyk ? cmykSamples : picture;
    const int rc = tjDecompress2(handle.get(), data, length, output.bits(), size.width(),
                                 int(output.bytesPerLine()), size.height(), cmyk ? TJPF_CMYK : TJPF_RGB, flags);
    if (rc != 0 && (warnings == Warnings::Refuse || !handle.lastErrorIsWarning()))
        throw ImagingError(ErrorCode::DamagedJpeg);
    if (cmyk)
        cmykToRgb(cmykSamples, picture);
    return {std::move(picture), stored};
}

} // namespace Imaging::Detail
