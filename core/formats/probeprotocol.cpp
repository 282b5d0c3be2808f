#include "core/formats/probeprotocol.h"

#include <QtEndian>

#include <cstring>

namespace ProbeProtocol {

namespace {

enum class Field : quint16 {
    Failure = 1,
    Orientation = 2,
    Entry = 3,
    ExifBlock = 4,
    Duration = 5,
    PixelSize = 6,
    Picture = 7,
};

// --- Writing ------------------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(qsizetype reserve = 0) { m_bytes.reserve(reserve); }

    void u8(quint8 v) { m_bytes.append(char(v)); }
    void u16(quint16 v) { raw(qToLittleEndian(v)); }
    void u32(quint32 v) { raw(qToLittleEndian(v)); }
    void i64(qint64 v) { raw(qToLittleEndian(v)); }
    void bytes(const char *data, qsizetype size) { m_bytes.append(data, size); }
    void bytes(const QByteArray &data) { m_bytes.append(data); }

    void field(Field key, const QByteArray &content)
    {
        u16(quint16(key));
        u32(quint32(content.size()));
        bytes(content);
    }

    QByteArray &result() { return m_bytes; }

private:
    template <typename T>
    void raw(T v)
    {
        m_bytes.append(reinterpret_cast<const char *>(&v), sizeof v);
    }

    QByteArray m_bytes;
};

QByteArray u32Pair(quint32 a, quint32 b)
{
    Writer w;
    w.u32(a);
    w.u32(b);
    return w.result();
}

// --- Reading ------------------------------------------------------------------------------------

// Reads forward through bytes; every read past the end fails and leaves the reader failed.
class Reader {
public:
    Reader(const char *data, qsizetype size) : m_data(data), m_size(size) {}
    explicit Reader(const QByteArray &bytes) : Reader(bytes.constData(), bytes.size()) {}

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos == m_size; }
    qsizetype remaining() const { return m_size - m_pos; }

    quint8 u8() { return get<quint8>(); }
    quint16 u16() { return get<quint16>(); }
    quint32 u32() { return get<quint32>(); }
    qint64 i64() { return get<qint64>(); }

    // A view of the next `size` bytes; null when there are not as many.
    const char *take(qsizetype size)
    {
        if (!m_ok || size < 0 || size > remaining()) {
            m_ok = false;
            return nullptr;
        }
        const char *at = m_data + m_pos;
        m_pos += size;
        return at;
    }

private:
    template <typename T>
    T get()
    {
        const char *at = take(sizeof(T));
        if (!at)
            return T{};
        T v;
        std::memcpy(&v, at, sizeof v);
        return qFromLittleEndian(v);
    }

    const char *m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

bool isProbeKind(quint8 kind)
{
    return kind == quint8(FileKind::Raw) || kind == quint8(FileKind::Heif) || kind == quint8(FileKind::Video);
}

std::optional<QString> textOf(Reader &reader, qsizetype size)
{
    if (size > MaximumTextBytes)
        return std::nullopt;
    const char *at = reader.take(size);
    if (!at)
        return std::nullopt;
    return QString::fromUtf8(at, size);
}

bool readEntry(Reader &field, Reply &reply)
{
    if (reply.entries.size() >= MaximumEntries)
        return false;
    ExifReader::Entry entry;
    entry.flag = field.u32();
    entry.tag = field.u32();
    const quint32 nameSize = field.u32();
    if (!field.ok() || nameSize > field.remaining())
        return false;
    const auto name = textOf(field, nameSize);
    const auto value = textOf(field, field.remaining());
    if (!name || !value)
        return false;
    entry.name = *name;
    entry.value = *value;
    reply.entries.append(entry);
    return true;
}

bool readPicture(Reader &field, Reply &reply)
{
    const quint32 width = field.u32(), height = field.u32();
    const quint32 storedWidth = field.u32(), storedHeight = field.u32();
    if (!field.ok() || width == 0 || height == 0 || width > quint32(MaximumPictureSide)
        || height > quint32(MaximumPictureSide) || qint64(width) * height > MaximumPicturePixels
        || storedWidth > quint32(MaximumPictureSide) || storedHeight > quint32(MaximumPictureSide))
        return false;
    const qsizetype rowBytes = qsizetype(width) * 3;
    if (field.remaining() != rowBytes * qsizetype(height))
        return false;
    QImage picture(int(width), int(height), QImage::Format_RGB888);
    if (picture.isNull())
        return false;
    for (int y = 0; y < int(height); ++y)
        std::memcpy(picture.scanLine(y), field.take(rowBytes), size_t(rowBytes));
    reply.picture = std::move(picture);
    reply.storedSize = QSize(int(storedWidth), int(storedHeight));
    return true;
}

bool readField(quint16 key, Reader &field, Reply &reply)
{
    switch (Field(key)) {
    case Field::Failure: {
        const auto text = textOf(field, field.remaining());
        if (!text || text->isEmpty())
            return false;
        reply.failure = *text;
        return true;
    }
    case Field::Orientation: {
        const quint32 value = field.u32();
        if (!field.ok() || !field.atEnd() || value < 1 || value > 8)
            return false;
        reply.orientation = int(value);
        return true;
    }
    case Field::Entry:
        return readEntry(field, reply);
    case Field::ExifBlock:
        if (field.remaining() > MaximumExifBlockBytes)
            return false;
        reply.exifBlock = QByteArray(field.take(field.remaining()), field.remaining());
        return true;
    case Field::Duration:
        reply.durationMs = field.i64();
        return field.ok() && field.atEnd() && reply.durationMs >= 0;
    case Field::PixelSize: {
        const quint32 width = field.u32(), height = field.u32();
        if (!field.ok() || !field.atEnd() || width > quint32(MaximumPictureSide) || height > quint32(MaximumPictureSide))
            return false;
        reply.pixelSize = QSize(int(width), int(height));
        return true;
    }
    case Field::Picture:
        return readPicture(field, reply);
    }
    return false; // a key we do not know
}

} // namespace

QByteArray header(qint64 bodyLength)
{
    Writer w(HeaderSize);
    w.u32(Magic);
    w.u32(0);
    w.i64(bodyLength);
    return w.result();
}

std::optional<qint64> bodyLength(const char *header, qint64 maximum)
{
    Reader r(header, HeaderSize);
    const quint32 magic = r.u32();
    const quint32 reserved = r.u32();
    const qint64 length = r.i64();
    if (!r.ok() || magic != Magic || reserved != 0 || length < 0 || length > maximum)
        return std::nullopt;
    return length;
}

QByteArray encodeRequest(const Request &request)
{
    Writer w(20 + request.data.size());
    w.u8(quint8(request.what));
    w.u8(quint8(request.kind));
    w.u8(quint8(request.source));
    w.u8(quint8(request.scale));
    w.u32(quint32(std::max(0, request.box.width())));
    w.u32(quint32(std::max(0, request.box.height())));
    w.u32(quint32(std::max(1, request.processorSeconds)));
    w.bytes(request.data);
    return w.result();
}

std::optional<Request> decodeRequest(QByteArray body)
{
    Reader r(body);
    Request request;
    const quint8 what = r.u8(), kind = r.u8(), source = r.u8(), scale = r.u8();
    const quint32 width = r.u32(), height = r.u32(), seconds = r.u32();
    if (!r.ok() || (what != quint8(Request::What::Metadata) && what != quint8(Request::What::Picture))
        || !isProbeKind(kind) || (source != quint8(Request::Source::Path) && source != quint8(Request::Source::Bytes))
        || scale > quint8(Request::Scale::Cover) || width > quint32(MaximumPictureSide)
        || height > quint32(MaximumPictureSide) || seconds == 0 || seconds > 3600)
        return std::nullopt;
    request.what = Request::What(what);
    request.kind = FileKind(kind);
    request.source = Request::Source(source);
    request.scale = Request::Scale(scale);
    request.box = QSize(int(width), int(height));
    request.processorSeconds = int(seconds);
    const qsizetype size = r.remaining();
    const qint64 limit = request.source == Request::Source::Path ? MaximumPathBytes : MaximumFileBytes;
    if (size == 0 || size > limit)
        return std::nullopt;
    body.remove(0, body.size() - size); // in place: a file sent whole is not copied again
    request.data = std::move(body);
    return request;
}

QByteArray encodeReply(const Reply &reply)
{
    const QImage &picture = reply.picture;
    Writer w(picture.isNull() ? 4096 : 64 + qsizetype(picture.width()) * 3 * picture.height());
    if (!reply.failure.isEmpty()) {
        w.field(Field::Failure, reply.failure.toUtf8().left(MaximumTextBytes));
        return w.result();
    }
    Writer orientation;
    orientation.u32(quint32(reply.orientation));
    w.field(Field::Orientation, orientation.result());
    for (const ExifReader::Entry &entry : reply.entries.mid(0, MaximumEntries)) {
        const QByteArray name = entry.name.toUtf8().left(MaximumTextBytes);
        Writer e;
        e.u32(entry.flag);
        e.u32(entry.tag);
        e.u32(quint32(name.size()));
        e.bytes(name);
        e.bytes(entry.value.toUtf8().left(MaximumTextBytes));
        w.field(Field::Entry, e.result());
    }
    if (!reply.exifBlock.isEmpty() && reply.exifBlock.size() <= MaximumExifBlockBytes)
        w.field(Field::ExifBlock, reply.exifBlock);
    if (reply.durationMs >= 0) {
        Writer d;
        d.i64(reply.durationMs);
        w.field(Field::Duration, d.result());
    }
    if (reply.pixelSize.isValid())
        w.field(Field::PixelSize, u32Pair(quint32(reply.pixelSize.width()), quint32(reply.pixelSize.height())));
    if (!picture.isNull()) {
        const QImage rgb = picture.format() == QImage::Format_RGB888 ? picture
                                                                      : picture.convertToFormat(QImage::Format_RGB888);
        const qsizetype rowBytes = qsizetype(rgb.width()) * 3;
        w.u16(quint16(Field::Picture));
        w.u32(quint32(16 + rowBytes * rgb.height()));
        w.u32(quint32(rgb.width()));
        w.u32(quint32(rgb.height()));
        w.u32(quint32(std::max(0, reply.storedSize.width())));
        w.u32(quint32(std::max(0, reply.storedSize.height())));
        for (int y = 0; y < rgb.height(); ++y)
            w.bytes(reinterpret_cast<const char *>(rgb.constScanLine(y)), rowBytes);
    }
    return w.result();
}

std::optional<Reply> decodeReply(const QByteArray &body)
{
    if (body.size() > MaximumReplyBytes)
        return std::nullopt;
    Reader r(body);
    Reply reply;
    while (!r.atEnd()) {
        const quint16 key = r.u16();
        const quint32 size = r.u32();
        const char *content = r.take(qsizetype(size));
        if (!r.ok())
            return std::nullopt;
        Reader field(content, qsizetype(size));
        if (!readField(key, field, reply))
            return std::nullopt;
    }
    // A failure comes alone; a reply that claims both is not one of ours.
    if (!reply.failure.isEmpty() && (!reply.entries.isEmpty() || !reply.picture.isNull()))
        return std::nullopt;
    return reply;
}

} // namespace ProbeProtocol
