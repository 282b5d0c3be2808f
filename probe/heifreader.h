#pragma once
// HEIF and AVIF files through libheif: the EXIF item of the primary image, its picture from
// the file's own thumbnail when that is large enough for the box, else the primary image
// decoded. Pictures are turned upright by the container's own rotation and mirror when it has
// them, else by the EXIF orientation.
#include "core/formats/probeprotocol.h"
#include "probe/probeinput.h"

namespace HeifReader {

// Every failure is a reply with a French reason; libheif's errors never leave.
ProbeProtocol::Reply metadata(const ProbeInput &input);
ProbeProtocol::Reply picture(const ProbeInput &input, QSize box, ProbeProtocol::Request::Scale scale);

} // namespace HeifReader
