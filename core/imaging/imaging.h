#pragma once
// The program's imaging layer: JPEG photos are decoded, reduced, turned and saved here, and
// their metadata carried from one file to another. Every failure is an ImagingError whose
// message is the French text shown to the user ("the library's error text" of the windows).
// No input, however damaged, may crash the program: sizes are checked before anything is
// allocated and the libraries' own errors never leave this layer.
#include "core/error.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace Imaging {

enum class ErrorCode {
    FileNotFound,     // "Fichier introuvable"
    ReadFailed,       // "Lecture impossible"
    EmptyFile,        // "Fichier vide"
    NotJpeg,          // "Ce fichier n'est pas une image JPEG"
    DamagedJpeg,      // "Image JPEG endommagée"
    TooLarge,         // "Image trop grande"
    OutOfMemory,      // "Mémoire insuffisante"
    WriteFailed,      // "Écriture impossible"
    UnsupportedAngle, // "Angle de rotation non pris en charge"
    InvalidSize,      // "Dimensions demandées incorrectes"
};

// The French text of an error, as the windows show it after their own sentence.
QString errorText(ErrorCode code);

class ImagingError : public LumaroError {
public:
    explicit ImagingError(ErrorCode code) : LumaroError(errorText(code)), m_code(code) {}
    // The text followed by what the underlying library said, for the user to quote:
    // "Image JPEG endommagée (Premature end of JPEG file)".
    ImagingError(ErrorCode code, const QString &detail)
        : LumaroError(detail.isEmpty() ? errorText(code) : errorText(code) + QStringLiteral(" (") + detail + u')'),
          m_code(code)
    {
    }
    ErrorCode code() const noexcept { return m_code; }

private:
    ErrorCode m_code;
};

// Largest picture accepted, checked on the file's header before any allocation. The side
// limit is libjpeg-turbo's own, a little below the 65,535 that a JPEG header can state.
inline constexpr qint64 MaximumPixels = 300'000'000;
inline constexpr int MaximumSide = 65'500;

// The metadata of a photo as it was stored in its file (EXIF block and colour profile), kept
// as bytes so that it can be written unchanged, or with its dimensions and orientation
// brought up to date, into another JPEG. Cheap to copy.
class Metadata {
public:
    Metadata() = default;
    Metadata(QByteArray exifBlock, QByteArray iccProfile)
        : m_exif(std::move(exifBlock)), m_iccProfile(std::move(iccProfile)) {}

    bool isEmpty() const { return m_exif.isEmpty() && m_iccProfile.isEmpty(); }
    bool hasExif() const { return !m_exif.isEmpty(); }
    // The EXIF data in its TIFF form (byte-order mark first, as after "Exif\0\0" in the APP1
    // segment), for a reader of the entries; empty when the photo has none.
    const QByteArray &exifBlock() const { return m_exif; }
    // The ICC colour profile joined from its APP2 segments; empty when none.
    const QByteArray &iccProfile() const { return m_iccProfile; }

    // Metadata of JPEG bytes already in memory; empty when they hold none.
    // Never throws: damaged segments are left out.
    static Metadata fromJpeg(const QByteArray &jpeg);

private:
    QByteArray m_exif;
    QByteArray m_iccProfile;
};

enum class MetadataChoice { Skip, Load };

// A decoded photo: a 24-bit RGB picture (QImage::Format_RGB888).
struct Photo {
    QImage picture;
    QString formatName;   // "JPEG"
    QSize storedSize;     // the size of the picture in the file, before any reduction
    Metadata metadata;    // empty unless asked for

    int width() const { return picture.width(); }
    int height() const { return picture.height(); }
};

// The whole photo at full size.
Photo loadPhoto(const QString &path, MetadataChoice metadata = MetadataChoice::Skip);
// The photo decoded with the strongest DCT reduction (1/8 steps) that still gives at least
// `target` in both directions, for a copy that is resized to `target` next: a 4000 x 3000
// photo for 640 x 480 decodes at 1/4, as 1000 x 750. An empty target means full size.
Photo loadPhotoCovering(const QString &path, QSize target, MetadataChoice metadata = MetadataChoice::Skip);
// A picture fitting `box` with the photo's proportions (never enlarged): the thumbnail stored
// in the EXIF data when it decodes, otherwise the photo decoded at the smallest DCT scale
// that still covers the box and reduced smoothly. storedSize is the photo's, not the thumbnail's.
Photo loadThumbnail(const QString &path, QSize box, MetadataChoice metadata = MetadataChoice::Skip);
// Only the metadata of a file, read from its first segments without decoding the picture.
Metadata loadMetadata(const QString &path);
// The size of the picture as the file's frame header states it, read from its first segments;
// invalid when the file cannot be read or holds no JPEG frame header. Never throws.
QSize storedSize(const QString &path);

// The same, from JPEG bytes in memory.
Photo decodePhoto(const QByteArray &jpeg, MetadataChoice metadata = MetadataChoice::Skip, QSize target = QSize());
Photo decodeThumbnail(const QByteArray &jpeg, QSize box, MetadataChoice metadata = MetadataChoice::Skip);

// The size of a picture fitted into a box with its proportions kept, rounded to the nearest
// pixel (500 x 375 in 105 x 105 gives 105 x 79), at least 1 x 1. A picture that already
// fits keeps its size.
QSize fittedSize(QSize picture, QSize box);

// 90, 180 or 270: the angles a photo can be turned by without loss.
inline bool isQuarterTurn(int angle) { return angle == 90 || angle == 180 || angle == 270; }

// The picture turned clockwise by 0, 90, 180 or 270 degrees; other angles throw UnsupportedAngle.
QImage turnedPicture(const QImage &picture, int angle);
// The picture stretched to exactly `size` (bilinear, smooth when reducing); RGB888 out.
QImage resized(const QImage &picture, QSize size);

struct SaveOptions {
    int quality = 75;        // clamped to 1..100
    Metadata metadata;       // written into the file when not empty
    // Set when the picture was turned after loading: the copy's EXIF orientation becomes
    // "top-left (1)" and its embedded thumbnail is made again from the turned picture.
    bool pictureTurned = false;
};

// JPEG bytes of a picture. With metadata, the EXIF block records the picture's own size
// (PixelXDimension / PixelYDimension).
QByteArray encodeJpeg(const QImage &picture, const SaveOptions &options);
// Writes the JPEG under a temporary name in the target's folder, flushes it to disk and
// renames it over the target: on failure the target is as it was.
void saveJpeg(const QString &path, const QImage &picture, const SaveOptions &options);

// The JPEG turned clockwise by 90, 180 or 270 degrees without recompression (partial edge
// blocks trimmed), every marker kept. A JPEG that libjpeg-turbo only warns about (a scan cut
// short, corrupt data) is refused with DamagedJpeg and the library's warning: a damaged photo
// is never rewritten; in the EXIF block the orientation becomes
// "top-left (1)", the recorded pixel dimensions follow the turn and the embedded thumbnail
// is turned too. 0 returns the bytes unchanged; other angles throw UnsupportedAngle.
QByteArray turnedJpeg(const QByteArray &jpeg, int angle);
// turnedJpeg on the bytes of a file, which stays as it is.
QByteArray turnedJpegFile(const QString &path, int angle);
// The same on a file, rewritten in place safely (temporary file, flush, rename): on any
// failure the original file is untouched.
void turnLosslessly(const QString &path, int angle);

// Quiets the metadata library's console messages and prepares its XMP support; done by the
// layer on first use too. The program keeps one for its lifetime.
class LibraryScope {
public:
    LibraryScope();
    ~LibraryScope(); // gives the metadata library its former message level back
    LibraryScope(const LibraryScope &) = delete;
    LibraryScope &operator=(const LibraryScope &) = delete;

private:
    int m_previousLevel;
};

} // namespace Imaging
