#pragma once
// Compressing a picture into JPEG bytes with TurboJPEG (private to the imaging layer).
#include <QByteArray>
#include <QImage>

namespace Imaging::Detail {

// A baseline JFIF JPEG of the picture at a quality of 1..100 (callers clamp). Throws.
QByteArray compressPicture(const QImage &picture, int quality);

} // namespace Imaging::Detail
