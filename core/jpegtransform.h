#pragma once
// Lossless quarter and half turns of JPEG data with TurboJPEG (private to the imaging layer).
#include <QByteArray>

namespace Imaging::Detail {

// The JPEG turned clockwise by 90, 180 or 270 degrees with every marker kept. Edge blocks that
// do not fill a whole MCU cannot be turned and are trimmed, as jpegtran -trim does, rather
// than left as a strip of junk. A truncated scan turns as it decodes. Throws DamagedJpeg.
QByteArray turnJpegData(const QByteArray &jpeg, int angle);

} // namespace Imaging::Detail
