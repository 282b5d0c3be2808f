#pragma once
// Lossless quarter and half turns of JPEG data with TurboJPEG (private to the imaging layer).
#include <QByteArray>

namespace Imaging::Detail {

enum class PartialBlocks { Trim, Refuse };

// The JPEG turned clockwise by 90, 180 or 270 degrees with every marker kept. Edge blocks that
// do not fill a whole MCU cannot be turned: they are trimmed, as jpegtran -trim does, rather
// than left as a strip of junk, or the turn is refused (DamagedJpeg). Data that libjpeg-turbo
// warns about (a truncated scan) is refused too. Throws DamagedJpeg, with the library's text.
QByteArray turnJpegData(const QByteArray &jpeg, int angle, PartialBlocks partial = PartialBlocks::Trim);

} // namespace Imaging::Detail
