#pragma once
// Reads the EXIF entries of a JPEG photo as the program shows and exports them: one entry per
// tag, in the order in which they appear in the file, each with a readable name and value text.
// Nothing here throws: a file that cannot be read simply has no entries.
#include <QByteArray>
#include <QList>
#include <QString>

namespace Exiv2 {
class ExifData;
}

namespace ExifReader {

// Where an entry comes from, stored in the entry's flag word. 0 is kept for the entry that the
// program makes itself from the file date.
enum Ifd : quint32 {
    IfdNone = 0,
    IfdImage = 1,     // IFD0, the main picture (make, model, orientation...)
    IfdPhoto = 2,     // the Exif sub-IFD (exposure, dates taken...)
    IfdGps = 3,       // the GPS sub-IFD
    IfdInterop = 4,   // the interoperability sub-IFD
    IfdThumbnail = 5, // IFD1, the embedded thumbnail's description
    IfdOther = 6,     // any further IFD (sub-images, multi-picture index)
};

struct Entry {
    quint32 flag = IfdNone; // an Ifd value
    quint32 tag = 0;        // the EXIF tag number
    QString name;
    QString value;
};

// The names the rest of the program looks for: the entry of the date taken (also the one made
// from the file date when a photo has no EXIF) and the orientation entry.
inline constexpr char DateTakenName[] = "Date taken";
inline constexpr char OrientationName[] = "Orientation";

// True when the JPEG holds an EXIF block (APP1 "Exif"). Reads only the headers before the
// picture data; false for a file that is missing or is no JPEG.
bool hasExif(const QString &path);
bool hasExif(const QByteArray &fileBytes);

// Every entry that makes sense as text, in file order. Left out: the maker note and what the
// maker note decodes to, the thumbnail's own data, the offsets that link the IFDs together and
// binary blobs. Empty for a file without EXIF or that is no JPEG; *error (when given) then holds
// a French reason, or stays empty when the file simply has no EXIF.
QList<Entry> readEntries(const QString &path, QString *error = nullptr);
QList<Entry> readEntries(const QByteArray &fileBytes, QString *error = nullptr);

// The entries of EXIF data that a reader of another format has already decoded (the probe's
// RAW and HEIF readers), with the same names, values and omissions as for a JPEG.
QList<Entry> entriesOf(const Exiv2::ExifData &exif);

// The text given for an orientation value 1..8 ("top-left (1)" ... "left-bottom (8)"); empty
// for any other value.
QString orientationText(long value);

} // namespace ExifReader
