#pragma once
// Decoding JPEG bytes into a 24-bit picture with TurboJPEG (private to the imaging layer).
#include <QByteArray>
#include <QImage>
#include <QSize>

namespace Imaging::Detail {

struct JpegLayout;

enum class DecodeQuality { Accurate, Fast };
// A truncated scan decodes with a warning; a photo accepts it, an embedded thumbnail does not
// (the photo itself is decoded instead).
enum class Warnings { Accept, Refuse };

struct DecodedPicture {
    QImage picture;   // Format_RGB888
    QSize storedSize; // before DCT scaling
};

// The size of the picture in the JPEG's header, after the guards: NotJpeg, DamagedJpeg and
// TooLarge are thrown before anything is allocated for the picture.
QSize checkedJpegSize(const QByteArray &jpeg, const JpegLayout &layout);

// The smallest size among the DCT scales (1/8 ... 8/8) that is at least `target` in both
// directions; the stored size itself when none is smaller or the target is empty.
QSize dctScaledSizeCovering(QSize stored, QSize target);

// Decodes at dctScaledSizeCovering(stored, target). Throws ImagingError.
DecodedPicture decodeJpeg(const QByteArray &jpeg, const JpegLayout &layout, QSize target,
                          DecodeQuality quality, Warnings warnings);

} // namespace Imaging::Detail
