#pragma once
// The marker segments at the head of a JPEG file (private to the imaging layer): where the
// EXIF block is, and the colour profile, read without decoding anything.
#include <QByteArray>

namespace Imaging::Detail {

struct JpegLayout {
    bool startsWithSoi = false;   // FF D8: the file claims to be a JPEG
    bool reachedScan = false;     // the markers were walked up to the first scan
    qsizetype exifSegmentStart = -1; // the whole APP1 Exif segment, marker included
    qsizetype exifSegmentEnd = -1;
    QByteArray exif;       // TIFF form, after "Exif\0\0"
    int frameWidth = -1;   // as the first frame header states them, before any check
    int frameHeight = -1;
    QByteArray iccProfile; // joined from its APP2 chunks when they are complete
    qsizetype xmpPayloadStart = -1; // the packet of the first APP1 XMP segment
    qsizetype xmpPayloadEnd = -1;
};

// Never throws and never reads past the bytes: a damaged marker ends the walk.
JpegLayout scanJpegLayout(const QByteArray &jpeg);

// An APP1 segment holding the TIFF-form EXIF data; empty when it would not fit in a segment.
QByteArray exifSegment(const QByteArray &tiff);
// The APP2 segments of an ICC profile, split in chunks as the ICC format asks.
QByteArray iccSegments(const QByteArray &profile);

// The JPEG with its APP1 Exif segment replaced by `segment` (or `segment` inserted after the
// JFIF header when it had none; an empty segment removes it).
QByteArray withExifSegment(const QByteArray &jpeg, const JpegLayout &layout, const QByteArray &segment);

// Sets an orientation recorded in the XMP packet to "1", in place: one digit for another, so
// that no segment changes length. Editors read it beside the EXIF one.
void resetXmpOrientation(QByteArray &jpeg, const JpegLayout &layout);

inline constexpr qsizetype MaximumSegmentPayload = 65533; // 65535 minus the length field

} // namespace Imaging::Detail
