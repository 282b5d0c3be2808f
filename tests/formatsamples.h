#pragma once
// Camera files other than JPEG for the tests, made on the spot with the tools a user has:
// HEIC by heif-enc from the program's own JPEGs, RAW-like TIFF files (EXIF and a JPEG preview
// written by exiv2) under RAW extensions, videos by ffmpeg; and damaged or hostile variants
// built byte by byte. Each maker returns false (after a warning) when a tool failed: use as
// QVERIFY(FormatSamples::heic(...)).
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace FormatSamples {

// A picture whose quadrants are red (top left), green (top right), blue (bottom left) and white
// (bottom right), so that any turn or mirror shows.
QImage quadrants(QSize size);

enum class Colour { Red, Green, Blue, White, Other };
// The colour at a fraction of the width and height.
Colour colourAt(const QImage &picture, double fx, double fy);
// The four corners' colours, top left, top right, bottom left, bottom right, as "RGBW" letters
// ("?" for any other colour): "RGBW" is upright.
QString corners(const QImage &picture);

// The quadrants as stored by a camera that records `orientation`: the stored picture turned so
// that turning it by the orientation gives the upright quadrants back.
QImage storedFor(QSize upright, int orientation);

// A JPEG of the picture with EXIF written by exiv2: Make "Lumaro", DateTimeOriginal
// "2021:03:04 05:06:07" (or `date`, empty for none) and the orientation (0 for none); without
// EXIF when there is neither date nor orientation.
[[nodiscard]] bool jpeg(const QString &path, const QImage &picture, int orientation,
                        const QString &date = QStringLiteral("2021:03:04 05:06:07"));
// heif-enc of a JPEG (its EXIF kept), with a thumbnail item fitting `thumbnail` pixels when
// not 0; AV1 when the name ends with .avif.
[[nodiscard]] bool heic(const QString &jpegPath, const QString &path, int thumbnail = 0);
// A TIFF with the EXIF of a RAW file (Make, Model, DateTimeOriginal, Orientation) and
// `preview` (a JPEG file) embedded as its preview; the name gives it a RAW extension.
[[nodiscard]] bool rawLike(const QString &path, const QString &previewJpeg, int orientation,
                           const QString &date = QStringLiteral("2021:03:04 05:06:07"));
// One second of ffmpeg's test picture, 320 x 240, with the creation time (empty: none); the
// extension picks the container. A turn (degrees) is recorded as a phone filming upright
// records it, in the display matrix.
[[nodiscard]] bool video(const QString &path, const QString &creationTime, int turn = 0);

// The HEIF bytes with an 'irot' property (anticlockwise quarter turns) given to item 1, as
// phones write them: the boxes after it and the item locations are moved to make room.
// Empty when the file's layout is not the one heif-enc writes.
QByteArray withTurn(const QByteArray &heif, int quarterTurns);
// The HEIF bytes with the picture size ('ispe') declared as width x height.
QByteArray withDeclaredSize(const QByteArray &heif, quint32 width, quint32 height);
// The HEIF bytes with every item location ('iloc') extent pointing far beyond the file, for
// lengths of gigabytes.
QByteArray withAbsurdExtents(const QByteArray &heif);
// The HEIF bytes with the coded data of one item (1: heif-enc's primary image) wiped, the other
// items intact.
QByteArray withDamagedItemData(const QByteArray &heif, int item);
// An ISO-BMFF file whose second box declares a size smaller than its header (a size that
// would lead back into itself), then more boxes.
QByteArray boxPointingBack();
// A little-endian TIFF with EXIF whose first IFD names itself as the next one.
QByteArray loopingTiff();

} // namespace FormatSamples
