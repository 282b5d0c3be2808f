#pragma once
// Camera RAW files through Exiv2 (CR3 included, by its ISO-BMFF support): the EXIF entries
// and orientation, and a picture from the JPEG previews the camera embedded, the smallest that
// covers the box or the largest, decoded by the program's JPEG layer and turned upright by the
// RAW's orientation.
#include "core/formats/probeprotocol.h"
#include "probe/probeinput.h"

namespace RawReader {

// Once per process, before any file: Exiv2's reading of ISO-BMFF files (CR3) is off unless
// asked for, and its messages are silenced.
void prepare();

// Every failure is a reply with a French reason; Exiv2's errors never leave.
ProbeProtocol::Reply metadata(const ProbeInput &input);
ProbeProtocol::Reply picture(const ProbeInput &input, QSize box, ProbeProtocol::Request::Scale scale);

} // namespace RawReader
