#pragma once
// What the probe's RAW and HEIF readers report of EXIF data they have decoded: the entries as
// the program lists a JPEG's, the orientation, and the block a JPEG copy can carry.
#include "core/formats/probeprotocol.h"

#include <QByteArray>

namespace Exiv2 {
class ExifData;
}

namespace ExifDetails {

// The EXIF orientation 1..8; 1 when the data has none or another value.
int orientationOf(const Exiv2::ExifData &exif);

// Fills the reply's entries, orientation and EXIF block. The block is `tiff` when given and
// small enough, otherwise the data encoded again without what only the source file can use
// (maker note, offsets of its pictures and strips, embedded thumbnail).
void fill(ProbeProtocol::Reply &reply, const Exiv2::ExifData &exif, const QByteArray &tiff = QByteArray());

} // namespace ExifDetails
