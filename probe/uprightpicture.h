#pragma once
// Scaling a decoded picture to what a request asks for and turning it upright by the EXIF
// orientation (1..8, mirrors included), in that order so that the turn works on few pixels.
#include "core/formats/probeprotocol.h"

#include <QImage>
#include <QSize>

namespace UprightPicture {

using Scale = ProbeProtocol::Request::Scale;

// Orientations 5 to 8 store the picture on its side.
bool swapsSides(int orientation);

// The size the upright picture is given: fitting in the box or covering it, never enlarged;
// the picture's own size when the box is empty.
QSize targetSize(QSize upright, QSize box, Scale scale);

// The size a picture stored with that orientation must have, before its turn, to give the
// target once upright (targetSize of its upright size, turned back).
QSize storedTarget(QSize stored, int orientation, QSize box, Scale scale);

// The picture turned upright: orientation 6 turns it a quarter clockwise, 2 mirrors it, and so
// on; other values leave it as it is.
QImage turned(const QImage &stored, int orientation);

// Scaled to storedTarget (smoothly), then turned. Format_RGB888. Throws ImagingError when the
// picture cannot be made (out of memory).
QImage scaledUpright(const QImage &stored, int orientation, QSize box, Scale scale);

} // namespace UprightPicture
