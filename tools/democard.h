#pragma once
// A fake memory card for trying the program, its tests and its benchmarks without a camera:
// a DCIM tree of generated JPEG photos, as a camera writes them, plus what a real card holds
// besides (a folder of small previews, a film, a picture of another format).
#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

namespace DemoCard {

struct Options {
    int count = 12;                 // number of photos
    QSize size = QSize(2048, 1536); // pixel size of every photo as stored (landscape)
    // Share of the photos recorded as turned (orientation 6 or 8, in turns), in percent;
    // -1 keeps the usual pattern (below).
    int turnedPercent = -1;
    // Date taken of the first photo, local time; the others follow over several days.
    QDateTime firstShot = QDateTime(QDate(2024, 7, 12), QTime(9, 15, 0));
};

// What was written, for the caller to show and for tests to check.
struct Contents {
    QStringList photos;            // full paths in shooting order (and file-time order)
    QStringList withoutExif;       // photos written with no EXIF block at all
    QStringList orientation6;      // photos whose EXIF orientation is "right-top (6)"
    QStringList orientation8;      // ... "left-bottom (8)"
    QString thumbnailFolder;       // the folder of previews that a search should skip
    QStringList extraFiles;        // the film and the GIF picture
};

// Writes the card into `folder` (created if needed; existing files of the same names are
// replaced). Photo k is taken at firstShot + (k-1) * a step that spreads the photos over
// about four days, plus a few seconds (often odd) when the step allows; its file time is its
// date taken, so file times are distinct and ordered. Photo 2 has no EXIF; photos 3, 8, 13...
// are recorded with orientation 6 and photos 5, 10, 15... with orientation 8.
// Every photo with EXIF records its make, model, date taken, pixel size and an embedded
// thumbnail. Throws LumaroError with a French message when a file cannot be written.
Contents write(const QString &folder, const Options &options);

} // namespace DemoCard
