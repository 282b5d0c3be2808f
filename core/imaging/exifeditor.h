#pragma once
// Reading and updating the EXIF block of a JPEG with Exiv2 (private to the imaging layer).
// Exiv2's exceptions never leave these functions.
#include <QByteArray>
#include <QSize>

#include <functional>

namespace Imaging::Detail {

// Silences Exiv2's messages on the console; cheap, called before every use.
void muteMetadataLibrary();

// The JPEG thumbnail stored in a TIFF-form EXIF block; empty when there is none or the block
// cannot be read.
QByteArray exifThumbnail(const QByteArray &tiff);

struct ExifUpdate {
    QSize pixelSize;                // the picture's size now
    bool recordMissingSize = false; // add the pixel dimensions when the block lacks them
    bool resetOrientation = false;  // "top-left (1)" where an orientation is recorded
    // Given the stored thumbnail, returns the one to store instead; empty removes it.
    // Left empty, the thumbnail stays as it is.
    std::function<QByteArray(const QByteArray &)> rewriteThumbnail;
};

// The block with the update applied, in TIFF form and small enough for one APP1 segment;
// the block unchanged when Exiv2 cannot read or write it.
QByteArray updatedExif(const QByteArray &tiff, const ExifUpdate &update);

} // namespace Imaging::Detail
