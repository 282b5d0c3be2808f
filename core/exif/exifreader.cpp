#include "core/exif/exifreader.h"

#include "core/files/filename.h"
#include "core/files/filesystem.h"
#include "core/files/posixfile.h"
#include "core/files/textfile.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <set>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ExifReader {

namespace {

// Exiv2 writes its warnings to stderr; the program reports what matters itself.
void muteExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
}

// --- The cheap test: walk the JPEG markers up to the picture data -------------------------

// Reads bytes at an offset; returns how many were read.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual qint64 read(qint64 offset, char *buffer, qint64 size) = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(const QByteArray &bytes) : m_bytes(bytes) {}
    qint64 read(qint64 offset, char *buffer, qint64 size) override
    {
        if (offset < 0 || offset >= m_bytes.size())
            return 0;
        const qint64 n = std::min(size, qint64(m_bytes.size()) - offset);
        std::memcpy(buffer, m_bytes.constData() + offset, size_t(n));
        return n;
    }

private:
    const QByteArray &m_bytes;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(int fd) : m_fd(fd) {}
    qint64 read(qint64 offset, char *buffer, qint64 size) override
    {
        qint64 done = 0;
        while (done < size) {
            const ssize_t n = ::pread(m_fd, buffer + done, size_t(size - done), off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        return done;
    }

private:
    int m_fd;
};

bool scanForExif(ByteSource &source)
{
    std::array<unsigned char, 10> head{};
    auto *raw = reinterpret_cast<char *>(head.data());
    if (source.read(0, raw, 2) != 2 || head[0] != 0xFF || head[1] != 0xD8)
        return false;
    qint64 pos = 2;
    // A JPEG has a few dozen segments before its picture data; the bound keeps a hostile file
    // made of empty segments from making this slow.
    for (int segments = 0; segments < 4096; ++segments) {
        if (source.read(pos, raw, 2) != 2 || head[0] != 0xFF)
            return false;
        const unsigned char marker = head[1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image, start of scan: no EXIF came
            return false;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // markers without length
            pos += 2;
            continue;
        }
        if (source.read(pos + 2, raw, 8) < 2)
            return false;
        const int length = (head[0] << 8) | head[1];
        if (length < 2)
            return false;
        if (marker == 0xE1 && length >= 8 && std::memcmp(raw + 2, "Exif\0\0", 6) == 0)
            return true;
        pos += 2 + length;
    }
    return false;
}

// --- The entries ----------------------------------------------------------------------------

quint32 flagOfGroup(const std::string &group)
{
    if (group == "Image")
        return IfdImage;
    if (group == "Photo")
        return IfdPhoto;
    if (group == "GPSInfo")
        return IfdGps;
    if (group == "Iop")
        return IfdInterop;
    if (group == "Thumbnail")
        return IfdThumbnail;
    return IfdOther;
}

constexpr uint16_t TagOrientation = 0x0112;
constexpr uint16_t TagDateTimeOriginal = 0x9003;
constexpr uint16_t TagMakerNote = 0x927C;
constexpr uint16_t TagUserComment = 0x9286;

// Tags that hold offsets linking the IFDs or pointing at the thumbnail's bytes: numbers that
// mean nothing to the user.
bool isLink(const Exiv2::Exifdatum &datum)
{
    static const std::set<uint16_t> links = {
        0x8769, // Exif sub-IFD
        0x8825, // GPS sub-IFD
        0xA005, // interoperability sub-IFD
        0x014A, // sub-IFDs
        0x0201, // thumbnail data (JPEGInterchangeFormat)
        0x0202, // its length
        0x0111, // strip offsets
        0x0117, // strip byte counts
        0x0144, // tile offsets
        0x0145, // tile byte counts
    };
    return links.count(datum.tag()) > 0;
}

bool isBlob(const Exiv2::Exifdatum &datum)
{
    // Short undefined values are versions and codes that Exiv2 prints as words ("2.31",
    // "YCbCr"); long ones are opaque data (print matching, colour profiles, XMP packets).
    // The user comment and the XP texts are printed as text whatever their size.
    const uint16_t tag = datum.tag();
    if (tag == TagUserComment || (tag >= 0x9C9B && tag <= 0x9C9F))
        return false;
    switch (datum.typeId()) {
    case Exiv2::undefined:
    case Exiv2::unsignedByte:
    case Exiv2::signedByte:
        return datum.size() > 64;
    default:
        return false;
    }
}

// EXIF texts end at their first zero byte: fixed-size fields are padded with zeros, and what
// follows the first one is left-over memory of the camera. Cameras write UTF-8 or, for older
// ones, Latin-1 / Windows-1252 in their text fields.
QString textOf(const std::string &text)
{
    const size_t end = text.find('\0');
    return TextFile::decode(QByteArray(text.data(), qsizetype(end == std::string::npos ? text.size() : end)));
}

// What makes no sense as text: the maker note and its decoded groups, links, blobs.
bool isLeftOut(const Exiv2::Exifdatum &datum)
{
    const std::string group = datum.groupName();
    if (group == "MakerNote" || Exiv2::ExifTags::isMakerGroup(group))
        return true;
    return datum.tag() == TagMakerNote || isLink(datum) || isBlob(datum);
}

Entry entryOf(const Exiv2::Exifdatum &datum, const Exiv2::ExifData &exif)
{
    const std::string group = datum.groupName();
    Entry entry;
    entry.flag = flagOfGroup(group);
    entry.tag = datum.tag();
    entry.name = textOf(datum.tagLabel());
    if (entry.name.isEmpty())
        entry.name = textOf(datum.tagName());
    if (group == "Photo" && datum.tag() == TagDateTimeOriginal) {
        entry.name = QString::fromLatin1(DateTakenName);
        entry.value = textOf(datum.toString()); // raw "YYYY:MM:DD HH:NN:SS", read back as a date
    } else if (group == "Image" && datum.tag() == TagOrientation) {
        entry.name = QString::fromLatin1(OrientationName);
        entry.value = datum.count() > 0 ? orientationText(datum.toLong()) : QString();
        if (entry.value.isEmpty())
            entry.value = textOf(datum.print(&exif));
    } else if (const auto *comment = dynamic_cast<const Exiv2::CommentValue *>(&datum.value())) {
        entry.value = textOf(comment->comment()); // without the "charset=..." prefix
    } else {
        entry.value = textOf(datum.print(&exif));
    }
    return entry;
}

QList<Entry> entriesOfImage(Exiv2::Image &image)
{
    image.readMetadata();
    return entriesOf(image.exifData());
}

// Opens the photo with the given step and lists its entries; every failure becomes a French reason.
template <typename Open>
QList<Entry> readWith(Open open, QString *error)
{
    muteExiv2();
    if (error)
        error->clear();
    try {
        const auto image = open();
        if (!image.get() || image->imageType() != Exiv2::ImageType::jpeg) {
            if (error)
                *error = QStringLiteral("Ce fichier n'est pas une image JPEG");
            return {};
        }
        return entriesOfImage(*image);
    } catch (...) {
        // Exiv2 errors, and bad_alloc on a count that claims gigabytes.
        if (error)
            *error = QStringLiteral("Informations EXIF illisibles");
    }
    return {};
}

} // namespace

QList<Entry> entriesOf(const Exiv2::ExifData &exif)
{
    QList<Entry> entries;
    for (const Exiv2::Exifdatum &datum : exif) {
        try {
            if (!isLeftOut(datum))
                entries.append(entryOf(datum, exif));
        } catch (...) {
            // One entry that cannot be printed does not hide the others.
        }
    }
    return entries;
}

QString orientationText(long value)
{
    static const char *const texts[] = {"top-left",    "top-right",    "bottom-right", "bottom-left",
                                        "left-top",    "right-top",    "right-bottom", "left-bottom"};
    if (value < 1 || value > 8)
        return {};
    return QStringLiteral("%1 (%2)").arg(QLatin1String(texts[value - 1])).arg(value);
}

bool hasExif(const QString &path)
{
    const PosixFile::Descriptor fd = PosixFile::open(path, O_RDONLY);
    if (!fd.isOpen())
        return false;
    FileSource file(fd.get());
    return scanForExif(file);
}

bool hasExif(const QByteArray &fileBytes)
{
    MemorySource memory(fileBytes);
    return scanForExif(memory);
}

QList<Entry> readEntries(const QString &path, QString *error)
{
    if (!FileSystem::exists(path)) {
        if (error)
            *error = QStringLiteral("Fichier introuvable");
        return {};
    }
    // Exiv2 picks the parser from the content; only JPEG files are handed to it.
    if (!hasExif(path)) {
        if (error) {
            const PosixFile::Descriptor fd = PosixFile::open(path, O_RDONLY);
            char head[2] = {};
            error->clear();
            if (!fd.isOpen())
                *error = QStringLiteral("Lecture impossible");
            else if (FileSource(fd.get()).read(0, head, 2) != 2 || uchar(head[0]) != 0xFF || uchar(head[1]) != 0xD8)
                *error = QStringLiteral("Ce fichier n'est pas une image JPEG");
        }
        return {};
    }
    const std::string name = FileName::encode(path).toStdString();
    return readWith([&] { return Exiv2::ImageFactory::open(name); }, error);
}

QList<Entry> readEntries(const QByteArray &fileBytes, QString *error)
{
    if (!hasExif(fileBytes)) {
        if (error)
            *error = fileBytes.startsWith("\xFF\xD8") ? QString() : QStringLiteral("Ce fichier n'est pas une image JPEG");
        return {};
    }
    return readWith(
        [&] {
            return Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(fileBytes.constData()),
                                             long(fileBytes.size()));
        },
        error);
}

} // namespace ExifReader
