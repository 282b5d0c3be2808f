#pragma once
// The messages between the program and lumaro-probe, the process that reads RAW, HEIF and video
// files so that a damaged or hostile one can only bring down the probe. Both sides build and
// check their messages here, and nothing else crosses the socket.
//
// A message is a header, then a body:
//     u32 Magic, u32 0 (reserved), u64 body length            (HeaderSize bytes)
// All integers are little-endian. The program sends one request and reads one reply; the probe
// answers each request in turn and ends when the socket closes.
//
// Request body:
//     u8 what (Request::What), u8 kind (FileKind: Raw, Heif or Video), u8 source
//     (Request::Source), u8 scale (Request::Scale), u32 box width, u32 box height,
//     u32 processor seconds allowed, then the rest: the file's path (bytes as the file system
//     spells it) or the file's whole content.
// Reply body: fields until the end, each u16 key (Field), u32 length, then that many bytes:
//     Failure      UTF-8 French reason; present only when the file could not be read
//     Orientation  u32, 1..8, as the file records it
//     Entry        u32 flag, u32 tag, u32 name length, name (UTF-8), value (UTF-8, the rest)
//     ExifBlock    the EXIF data in its TIFF form (as after "Exif\0\0" in a JPEG)
//     Duration     i64 milliseconds
//     PixelSize    u32 width, u32 height (a video's, as it is shown)
//     Picture      u32 width, u32 height, u32 stored width, u32 stored height, then the rows
//                  of 24-bit RGB pixels, 3 x width bytes each, without padding
// A reply that breaks any bound below is garbage: the program drops it and the probe with it.
#include "core/exif/exifreader.h"
#include "core/formats/filekind.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>

namespace ProbeProtocol {

inline constexpr quint32 Magic = 0x3150'4D4C; // "LMP1" in the byte order of the wire
inline constexpr int HeaderSize = 16;

// Bounds that both sides hold to. A file handed over in memory may be as large as a long
// video; a picture as large as the imaging layer accepts.
inline constexpr qint64 MaximumFileBytes = qint64(1) << 30;
inline constexpr qint64 MaximumPathBytes = 4096;
inline constexpr qint64 MaximumPicturePixels = 250'000'000;
inline constexpr int MaximumPictureSide = 65'500;
inline constexpr int MaximumEntries = 20'000;
inline constexpr int MaximumTextBytes = 64 * 1024;
inline constexpr int MaximumExifBlockBytes = 60 * 1024; // what one JPEG APP1 segment can carry
inline constexpr qint64 MaximumRequestBytes = MaximumFileBytes + 64;
inline constexpr qint64 MaximumReplyBytes = MaximumPicturePixels * 3 + 16 * 1024 * 1024;

struct Request {
    enum class What : quint8 { Metadata = 1, Picture = 2 };
    enum class Source : quint8 { Path = 1, Bytes = 2 };
    // How a picture meets the box: fits inside it, or covers it in both directions; never
    // enlarged either way. An empty box asks for the full size.
    enum class Scale : quint8 { Fit = 0, Cover = 1 };

    What what = What::Metadata;
    FileKind kind = FileKind::Other;
    Source source = Source::Path;
    Scale scale = Scale::Fit;
    QSize box;
    int processorSeconds = 10;
    QByteArray data; // the encoded path, or the file's bytes
};

struct Reply {
    QString failure; // empty when the file was read
    int orientation = 1;
    QList<ExifReader::Entry> entries;
    QByteArray exifBlock;
    qint64 durationMs = -1;
    QSize pixelSize;
    QImage picture;   // Format_RGB888, upright
    QSize storedSize; // the size of the picture in the file (a RAW's: its preview's)
};

// The header announcing a body of that length.
QByteArray header(qint64 bodyLength);
// The body length a header announces: nothing when the header is not one, or announces more
// than `maximum`.
std::optional<qint64> bodyLength(const char *header, qint64 maximum);

QByteArray encodeRequest(const Request &request);
std::optional<Request> decodeRequest(QByteArray body);

QByteArray encodeReply(const Reply &reply);
// Nothing when the body breaks a bound or a field is malformed.
std::optional<Reply> decodeReply(const QByteArray &body);

} // namespace ProbeProtocol
