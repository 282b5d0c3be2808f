#include "tests/formatsamples.h"

#include "core/imaging/imaging.h"
#include "tests/testsupport.h"

#include <QDebug>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <functional>
#include <optional>

#include <unistd.h>

namespace FormatSamples {

namespace {

bool run(const QString &program, const QStringList &arguments)
{
    return TestSupport::runProgram(program, arguments);
}

// --- ISO-BMFF boxes -------------------------------------------------------------------------

struct Box {
    qsizetype start = 0;   // of the header
    qsizetype content = 0; // after the header (and after version and flags for full boxes)
    qsizetype end = 0;
};

std::optional<Box> findBox(const QByteArray &bytes, qsizetype from, qsizetype to, const char *type, bool fullBox = false)
{
    qsizetype at = from;
    while (at + 8 <= to) {
        const quint32 size = qFromBigEndian<quint32>(bytes.constData() + at);
        if (size < 8 || at + qsizetype(size) > to)
            return std::nullopt;
        if (bytes.mid(at + 4, 4) == type)
            return Box{at, at + 8 + (fullBox ? 4 : 0), at + qsizetype(size)};
        at += size;
    }
    return std::nullopt;
}

void addToSize(QByteArray &bytes, qsizetype boxStart, quint32 added)
{
    const quint32 size = qFromBigEndian<quint32>(bytes.constData() + boxStart);
    qToBigEndian<quint32>(size + added, bytes.data() + boxStart);
}

quint64 readSized(const QByteArray &bytes, qsizetype at, int size)
{
    quint64 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | quint8(bytes[at + i]);
    return v;
}

void writeSized(QByteArray &bytes, qsizetype at, int size, quint64 v)
{
    for (int i = size - 1; i >= 0; --i, v >>= 8)
        bytes[at + i] = char(v & 0xFF);
}

enum class Part { Base, ExtentOffset, ExtentLength };

// Walks the item locations, calling `visit` with the position and size of each item's base
// offset and of its extents' offsets and lengths, those that have a size. False when the box is
// not in a layout this understands.
bool walkLocations(QByteArray &bytes, const Box &iloc,
                   const std::function<void(int item, qsizetype at, int size, Part part)> &visit)
{
    const int version = quint8(bytes[iloc.content - 4]);
    if (version > 1)
        return false;
    qsizetype at = iloc.content;
    const int offsetSize = quint8(bytes[at]) >> 4, lengthSize = quint8(bytes[at]) & 15;
    const int baseSize = quint8(bytes[at + 1]) >> 4, indexSize = version == 1 ? quint8(bytes[at + 1]) & 15 : 0;
    const int items = qFromBigEndian<quint16>(bytes.constData() + at + 2);
    at += 4;
    for (int i = 0; i < items; ++i) {
        const int item = qFromBigEndian<quint16>(bytes.constData() + at);
        at += 2;
        if (version == 1)
            at += 2; // construction method: heif-enc writes 0, offsets in the file
        at += 2;     // data reference index
        if (baseSize > 0)
            visit(item, at, baseSize, Part::Base);
        at += baseSize;
        const int extents = qFromBigEndian<quint16>(bytes.constData() + at);
        at += 2;
        for (int e = 0; e < extents; ++e) {
            at += indexSize;
            if (offsetSize > 0)
                visit(item, at, offsetSize, Part::ExtentOffset);
            at += offsetSize;
            if (lengthSize > 0)
                visit(item, at, lengthSize, Part::ExtentLength);
            at += lengthSize;
        }
    }
    return at <= iloc.end;
}

struct HeifLayout {
    Box meta, iloc, iprp, ipco, ipma;
};

std::optional<HeifLayout> layoutOf(const QByteArray &bytes)
{
    const auto meta = findBox(bytes, 0, bytes.size(), "meta", true);
    if (!meta)
        return std::nullopt;
    const auto iloc = findBox(bytes, meta->content, meta->end, "iloc", true);
    const auto iprp = findBox(bytes, meta->content, meta->end, "iprp");
    if (!iloc || !iprp)
        return std::nullopt;
    const auto ipco = findBox(bytes, iprp->content, iprp->end, "ipco");
    const auto ipma = findBox(bytes, iprp->content, iprp->end, "ipma", true);
    if (!ipco || !ipma)
        return std::nullopt;
    return HeifLayout{*meta, *iloc, *iprp, *ipco, *ipma};
}

int childCount(const QByteArray &bytes, const Box &box)
{
    int count = 0;
    for (qsizetype at = box.content; at + 8 <= box.end; at += qFromBigEndian<quint32>(bytes.constData() + at))
        ++count;
    return count;
}

QImage mapped(const QImage &upright, int orientation)
{
    const int w = upright.width(), h = upright.height();
    const bool swap = orientation >= 5 && orientation <= 8;
    QImage stored(swap ? h : w, swap ? w : h, QImage::Format_RGB888);
    for (int y = 0; y < stored.height(); ++y) {
        for (int x = 0; x < stored.width(); ++x) {
            int ux = x, uy = y;
            switch (orientation) {
            case 2: ux = w - 1 - x; break;
            case 3: ux = w - 1 - x; uy = h - 1 - y; break;
            case 4: uy = h - 1 - y; break;
            case 5: ux = y; uy = x; break;
            case 6: ux = w - 1 - y; uy = x; break;
            case 7: ux = w - 1 - y; uy = h - 1 - x; break;
            case 8: ux = y; uy = h - 1 - x; break;
            default: break;
            }
            stored.setPixel(x, y, upright.pixel(ux, uy));
        }
    }
    return stored;
}

} // namespace

QImage quadrants(QSize size)
{
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const bool right = x >= size.width() / 2, bottom = y >= size.height() / 2;
            picture.setPixel(x, y, !bottom ? (right ? qRgb(0, 200, 0) : qRgb(220, 0, 0))
                                           : (right ? qRgb(255, 255, 255) : qRgb(0, 0, 220)));
        }
    }
    return picture;
}

Colour colourAt(const QImage &picture, double fx, double fy)
{
    const QColor c = picture.pixelColor(int(fx * (picture.width() - 1)), int(fy * (picture.height() - 1)));
    if (c.red() > 180 && c.green() > 180 && c.blue() > 180)
        return Colour::White;
    if (c.red() > 150 && c.green() < 90 && c.blue() < 90)
        return Colour::Red;
    if (c.green() > 150 && c.red() < 90 && c.blue() < 90)
        return Colour::Green;
    if (c.blue() > 150 && c.red() < 90 && c.green() < 90)
        return Colour::Blue;
    return Colour::Other;
}

QString corners(const QImage &picture)
{
    static const char letters[] = "RGBW?";
    QString text;
    for (const auto &[fx, fy] : {std::pair{0.1, 0.1}, {0.9, 0.1}, {0.1, 0.9}, {0.9, 0.9}})
        text += QLatin1Char(letters[int(colourAt(picture, fx, fy))]);
    return text;
}

QImage storedFor(QSize upright, int orientation)
{
    return mapped(quadrants(upright), orientation);
}

namespace {

// The EXIF a camera writes, set by exiv2 (a few milliseconds where exiftool takes a second
// on a busy machine).
bool writeExif(const QString &path, const QStringList &settings, int orientation, const QString &date)
{
    QStringList arguments;
    for (const QString &setting : settings)
        arguments << QStringLiteral("-M") + setting;
    if (!date.isEmpty())
        arguments << QStringLiteral("-Mset Exif.Photo.DateTimeOriginal ") + date;
    if (orientation > 0)
        arguments << QStringLiteral("-Mset Exif.Image.Orientation Short %1").arg(orientation);
    return run(QStringLiteral("exiv2"), arguments << path);
}

} // namespace

bool jpeg(const QString &path, const QImage &picture, int orientation, const QString &date)
{
    Imaging::SaveOptions options;
    options.quality = 95;
    if (!TestSupport::writeFile(path, Imaging::encodeJpeg(picture, options)))
        return false;
    if (orientation == 0 && date.isEmpty())
        return true;
    return writeExif(path, {QStringLiteral("set Exif.Image.Make Lumaro")}, orientation, date);
}

bool heic(const QString &jpegPath, const QString &path, int thumbnail)
{
    QStringList arguments{QStringLiteral("-q"), QStringLiteral("90")};
    if (path.endsWith(QLatin1String(".avif"), Qt::CaseInsensitive))
        arguments << QStringLiteral("-A");
    if (thumbnail > 0)
        arguments << QStringLiteral("-t") << QString::number(thumbnail);
    // heif-enc ends with status 0 when it could not write its output: the file is what tells.
    return run(QStringLiteral("heif-enc"), arguments << QStringLiteral("-o") << path << jpegPath)
           && !TestSupport::readFile(path).isEmpty();
}

bool rawLike(const QString &path, const QString &previewJpeg, int orientation, const QString &date)
{
    // A small grey sensor picture; the preview goes in as IFD1's JPEG, where Exiv2's preview
    // manager finds it as it finds a camera's.
    QTemporaryDir work;
    const QString tiff = work.filePath(QStringLiteral("raw.tif"));
    if (!run(QStringLiteral("/usr/bin/convert"),
             {QStringLiteral("-size"), QStringLiteral("64x48"), QStringLiteral("xc:gray"), tiff}))
        return false;
    if (!writeExif(tiff, {QStringLiteral("set Exif.Image.Make Lumaro"), QStringLiteral("set Exif.Image.Model Raw Test")},
                   orientation, date))
        return false;
    if (!TestSupport::writeFile(work.filePath(QStringLiteral("raw-thumb.jpg")), TestSupport::readFile(previewJpeg))
        || !run(QStringLiteral("exiv2"), {QStringLiteral("-it"), tiff}))
        return false;
    return TestSupport::writeFile(path, TestSupport::readFile(tiff));
}

bool video(const QString &path, const QString &creationTime, int turn)
{
    QStringList metadata;
    if (!creationTime.isEmpty())
        metadata << QStringLiteral("-metadata") << QStringLiteral("creation_time=") + creationTime;
    const QString made = turn ? path + QStringLiteral(".flat.") + path.section(u'.', -1) : path;
    if (!run(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                                   QStringLiteral("lavfi"), QStringLiteral("-i"),
                                                   QStringLiteral("testsrc=size=320x240:rate=10"), QStringLiteral("-t"),
                                                   QStringLiteral("1")}
                                           << metadata << QStringLiteral("-y") << made))
        return false;
    if (!turn)
        return true;
    // ffmpeg records a turn only when it copies the stream without encoding it.
    const bool ok = run(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-v"), QStringLiteral("error"),
                                                              QStringLiteral("-i"), made, QStringLiteral("-c"),
                                                              QStringLiteral("copy"), QStringLiteral("-metadata:s:v:0"),
                                                              QStringLiteral("rotate=%1").arg(turn)}
                                                      << metadata << QStringLiteral("-y") << path);
    ::unlink(made.toLocal8Bit().constData());
    return ok;
}

QByteArray withTurn(const QByteArray &heif, int quarterTurns)
{
    QByteArray bytes = heif;
    const std::optional<HeifLayout> layout = layoutOf(bytes);
    if (!layout || quint8(bytes[layout->ipma.content - 1]) & 1) // 16-bit associations: not heif-enc's
        return {};
    const int propertyIndex = childCount(bytes, layout->ipco) + 1; // 1-based
    // Item 1's entry in ipma (version 0: 16-bit item ids, 8-bit associations).
    qsizetype at = layout->ipma.content;
    const quint32 entries = qFromBigEndian<quint32>(bytes.constData() + at);
    at += 4;
    qsizetype countAt = -1;
    for (quint32 i = 0; i < entries && at + 3 <= layout->ipma.end; ++i) {
        const int item = qFromBigEndian<quint16>(bytes.constData() + at);
        const int count = quint8(bytes[at + 2]);
        if (item == 1)
            countAt = at + 2;
        at += 3 + count;
    }
    if (countAt < 0)
        return {};
    const QByteArray irot = QByteArray::fromHex("00000009") + "irot" + char(quarterTurns & 3);
    constexpr quint32 Added = 9 + 1;
    // From the end of the file backwards, so that every position found above still holds.
    bytes.insert(countAt + 1 + quint8(bytes[countAt]), char(0x80 | propertyIndex)); // essential
    bytes[countAt] = char(quint8(bytes[countAt]) + 1);
    addToSize(bytes, layout->ipma.start, 1);
    bytes.insert(layout->ipco.end, irot);
    addToSize(bytes, layout->ipco.start, 9);
    addToSize(bytes, layout->iprp.start, Added);
    addToSize(bytes, layout->meta.start, Added);
    // The picture data lies after 'meta' and moved with it.
    // Each item's data moves by its base offset, or by its extents' offsets when it has none.
    int itemWithBase = -1;
    const bool understood = walkLocations(bytes, layout->iloc, [&](int item, qsizetype pos, int size, Part part) {
        if (part == Part::Base)
            itemWithBase = item;
        if (part == Part::Base || (part == Part::ExtentOffset && itemWithBase != item))
            writeSized(bytes, pos, size, readSized(bytes, pos, size) + Added);
    });
    return understood ? bytes : QByteArray();
}

QByteArray withDeclaredSize(const QByteArray &heif, quint32 width, quint32 height)
{
    QByteArray bytes = heif;
    const std::optional<HeifLayout> layout = layoutOf(bytes);
    if (!layout)
        return {};
    for (qsizetype at = layout->ipco.content; at + 20 <= layout->ipco.end;
         at += qFromBigEndian<quint32>(bytes.constData() + at)) {
        if (bytes.mid(at + 4, 4) == "ispe") {
            qToBigEndian<quint32>(width, bytes.data() + at + 12);
            qToBigEndian<quint32>(height, bytes.data() + at + 16);
        }
        if (qFromBigEndian<quint32>(bytes.constData() + at) < 8)
            break;
    }
    return bytes;
}

QByteArray withAbsurdExtents(const QByteArray &heif)
{
    QByteArray bytes = heif;
    const std::optional<HeifLayout> layout = layoutOf(bytes);
    if (!layout)
        return {};
    const bool understood = walkLocations(bytes, layout->iloc, [&](int, qsizetype pos, int size, Part part) {
        writeSized(bytes, pos, size, part == Part::ExtentLength ? 0xFFFFFFF0u : 0x7FFFFF00u);
    });
    return understood ? bytes : QByteArray();
}

QByteArray withDamagedItemData(const QByteArray &heif, int item)
{
    QByteArray bytes = heif;
    const std::optional<HeifLayout> layout = layoutOf(bytes);
    if (!layout)
        return {};
    // The item's extents, from its base offset and each extent's offset and length.
    quint64 base = 0, offset = 0;
    QList<std::pair<quint64, quint64>> extents;
    const bool understood = walkLocations(bytes, layout->iloc, [&](int id, qsizetype pos, int size, Part part) {
        if (id != item)
            return;
        const quint64 value = readSized(bytes, pos, size);
        if (part == Part::Base)
            base = value;
        else if (part == Part::ExtentOffset)
            offset = value;
        else
            extents.append({base + offset, value});
    });
    if (!understood || extents.isEmpty())
        return {};
    // Each extent keeps its first NAL unit's length and loses the coded data after it.
    for (const auto &[start, length] : extents) {
        if (length <= 4 || start + length > quint64(bytes.size()))
            return {};
        std::fill(bytes.begin() + qsizetype(start) + 4, bytes.begin() + qsizetype(start + length), '\0');
    }
    return bytes;
}

QByteArray boxPointingBack()
{
    QByteArray bytes = QByteArray::fromHex("00000018") + "ftypheic" + QByteArray::fromHex("00000000") + "mif1heic";
    bytes += QByteArray::fromHex("00000004") + "meta" + QByteArray::fromHex("00000000");
    bytes += QByteArray::fromHex("00000010") + "iloc" + QByteArray::fromHex("0000000044400001");
    bytes += QByteArray::fromHex("00000001") + "mdat" + QByteArray::fromHex("0000000000000004");
    return bytes + QByteArray(64, '\x55');
}

QByteArray loopingTiff()
{
    QByteArray bytes("II*\0\x08\0\0\0", 8);
    // IFD0 at 8: Make (ASCII in place) and the EXIF sub-IFD, which is IFD0 itself; next IFD:
    // IFD0 again.
    const auto entry = [](quint16 tag, quint16 type, quint32 count, quint32 value) {
        QByteArray e(12, '\0');
        qToLittleEndian<quint16>(tag, e.data());
        qToLittleEndian<quint16>(type, e.data() + 2);
        qToLittleEndian<quint32>(count, e.data() + 4);
        qToLittleEndian<quint32>(value, e.data() + 8);
        return e;
    };
    bytes += QByteArray("\x03\0", 2);
    bytes += entry(0x010F, 2, 4, qFromLittleEndian<quint32>("Lum\0"));
    bytes += entry(0x0112, 3, 1, 6);
    bytes += entry(0x8769, 4, 1, 8);
    bytes += QByteArray("\x08\0\0\0", 4);
    return bytes + QByteArray(32, '\0');
}

} // namespace FormatSamples
