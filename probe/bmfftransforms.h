#pragma once
// Whether a HEIF file turns or mirrors its pictures in the container itself ('irot' or 'imir'
// among the item properties of 'meta' > 'iprp' > 'ipco'). libheif applies those when it
// decodes, so the EXIF orientation, which such files repeat, must then not be applied again;
// files without them (what many converters write) are upright only by their EXIF orientation.
#include "probe/probeinput.h"

namespace BmffTransforms {

// Reads box headers only, each checked against its parent's bounds; a damaged or looping
// structure gives false after at most a few thousand boxes.
bool present(const ProbeInput &input);

} // namespace BmffTransforms
