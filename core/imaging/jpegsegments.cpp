#include "core/imaging/jpegsegments.h"

#include <map>
#include <string_view>

namespace Imaging::Detail {

namespace {

constexpr char ExifSignature[] = "Exif\0\0";        // 6 bytes
constexpr char IccSignature[] = "ICC_PROFILE\0";    // 12 bytes, then chunk number and count
constexpr qsizetype ExifSignatureSize = 6;
constexpr qsizetype IccSignatureSize = 12;
constexpr char XmpSignature[] = "http://ns.adobe.com/xap/1.0/"; // then a zero byte
constexpr qsizetype XmpSignatureSize = 29;
constexpr qsizetype IccChunkPayload = MaximumSegmentPayload - IccSignatureSize - 2;

unsigned byteAt(const QByteArray &bytes, qsizetype i)
{
    return static_cast<unsigned char>(bytes.at(i));
}

QByteArray segment(unsigned char marker, const QByteArray &payload)
{
    const qsizetype length = payload.size() + 2;
    QByteArray out;
    out.reserve(length + 2);
    out.append(char(0xFF));
    out.append(char(marker));
    out.append(char((length >> 8) & 0xFF));
    out.append(char(length & 0xFF));
    out.append(payload);
    return out;
}

} // namespace

JpegLayout scanJpegLayout(const QByteArray &jpeg)
{
    JpegLayout layout;
    const qsizetype size = jpeg.size();
    if (size < 2 || byteAt(jpeg, 0) != 0xFF || byteAt(jpeg, 1) != 0xD8)
        return layout;
    layout.startsWithSoi = true;

    std::map<int, QByteArray> iccChunks;
    int iccCount = -1;
    bool iccConsistent = true;

    qsizetype pos = 2;
    while (pos < size) {
        if (byteAt(jpeg, pos) != 0xFF)
            break; // not a marker where one must be: leave the rest to the decoder
        while (pos < size && byteAt(jpeg, pos) == 0xFF)
            ++pos; // fill bytes
        if (pos >= size)
            break;
        const unsigned marker = byteAt(jpeg, pos);
        const qsizetype markerStart = pos - 1;
        ++pos;
        if (marker == 0xDA) {
            layout.reachedScan = true;
            break;
        }
        if (marker == 0xD9 || marker == 0x00)
            break;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a length
        if (pos + 2 > size)
            break;
        const qsizetype length = qsizetype(byteAt(jpeg, pos) << 8 | byteAt(jpeg, pos + 1));
        if (length < 2 || pos + length > size)
            break;
        const qsizetype payload = pos + 2;
        const qsizetype payloadSize = length - 2;
        const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader && layout.frameWidth < 0 && payloadSize >= 6) {
            layout.frameHeight = int(byteAt(jpeg, payload + 1) << 8 | byteAt(jpeg, payload + 2));
            layout.frameWidth = int(byteAt(jpeg, payload + 3) << 8 | byteAt(jpeg, payload + 4));
        } else if (marker == 0xE1 && layout.exifSegmentStart < 0 && payloadSize > ExifSignatureSize
            && jpeg.mid(payload, ExifSignatureSize) == QByteArray(ExifSignature, ExifSignatureSize)) {
            layout.exifSegmentStart = markerStart;
            layout.exifSegmentEnd = pos + length;
            layout.exif = jpeg.mid(payload + ExifSignatureSize, payloadSize - ExifSignatureSize);
        } else if (marker == 0xE1 && layout.xmpPayloadStart < 0 && payloadSize > XmpSignatureSize
                   && jpeg.mid(payload, XmpSignatureSize) == QByteArray(XmpSignature, XmpSignatureSize)) {
            layout.xmpPayloadStart = payload + XmpSignatureSize;
            layout.xmpPayloadEnd = pos + length;
        } else if (marker == 0xE2 && payloadSize > IccSignatureSize + 2
                   && jpeg.mid(payload, IccSignatureSize) == QByteArray(IccSignature, IccSignatureSize)) {
            const int number = int(byteAt(jpeg, payload + IccSignatureSize));
            const int count = int(byteAt(jpeg, payload + IccSignatureSize + 1));
            if (iccCount < 0)
                iccCount = count;
            if (count != iccCount || number < 1 || number > count || iccChunks.count(number))
                iccConsistent = false;
            else
                iccChunks[number] = jpeg.mid(payload + IccSignatureSize + 2, payloadSize - IccSignatureSize - 2);
        }
        pos += length;
    }

    if (iccConsistent && iccCount > 0 && int(iccChunks.size()) == iccCount) {
        for (const auto &[number, chunk] : iccChunks)
            layout.iccProfile += chunk;
    }
    return layout;
}

void resetXmpOrientation(QByteArray &jpeg, const JpegLayout &layout)
{
    if (layout.xmpPayloadStart < 0 || layout.xmpPayloadEnd > jpeg.size())
        return;
    // The two spellings of RDF: an attribute tiff:Orientation="6" or an element
    // <tiff:Orientation>6</tiff:Orientation>.
    static constexpr std::string_view forms[] = {"tiff:Orientation=\"", "tiff:Orientation='",
                                                 "<tiff:Orientation>"};
    char *data = jpeg.data();
    const std::string_view packet(data + layout.xmpPayloadStart,
                                  size_t(layout.xmpPayloadEnd - layout.xmpPayloadStart));
    for (const std::string_view form : forms) {
        for (size_t at = packet.find(form); at != std::string_view::npos; at = packet.find(form, at + 1)) {
            const size_t digit = at + form.size();
            if (digit + 1 >= packet.size())
                break;
            const char value = packet[digit], closing = packet[digit + 1];
            if (value >= '2' && value <= '8' && (closing == '"' || closing == '\'' || closing == '<'))
                data[layout.xmpPayloadStart + qsizetype(digit)] = '1';
        }
    }
}

QByteArray exifSegment(const QByteArray &tiff)
{
    if (tiff.isEmpty() || tiff.size() + ExifSignatureSize > MaximumSegmentPayload)
        return {};
    return segment(0xE1, QByteArray(ExifSignature, ExifSignatureSize) + tiff);
}

QByteArray iccSegments(const QByteArray &profile)
{
    QByteArray out;
    const qsizetype count = (profile.size() + IccChunkPayload - 1) / IccChunkPayload;
    if (count == 0 || count > 255)
        return out;
    for (qsizetype i = 0; i < count; ++i) {
        QByteArray payload(IccSignature, IccSignatureSize);
        payload.append(char(i + 1));
        payload.append(char(count));
        payload.append(profile.mid(i * IccChunkPayload, IccChunkPayload));
        out += segment(0xE2, payload);
    }
    return out;
}

QByteArray withExifSegment(const QByteArray &jpeg, const JpegLayout &layout, const QByteArray &segmentBytes)
{
    if (layout.exifSegmentStart >= 0) {
        QByteArray out;
        out.reserve(jpeg.size() - (layout.exifSegmentEnd - layout.exifSegmentStart) + segmentBytes.size());
        out.append(jpeg.constData(), layout.exifSegmentStart);
        out.append(segmentBytes);
        out.append(jpeg.constData() + layout.exifSegmentEnd, jpeg.size() - layout.exifSegmentEnd);
        return out;
    }
    if (segmentBytes.isEmpty() || !layout.startsWithSoi)
        return jpeg;
    // After SOI, and after a JFIF APP0 when there is one, as cameras and editors place it.
    qsizetype at = 2;
    if (jpeg.size() >= 6 && byteAt(jpeg, 2) == 0xFF && byteAt(jpeg, 3) == 0xE0) {
        const qsizetype length = qsizetype(byteAt(jpeg, 4) << 8 | byteAt(jpeg, 5));
        if (2 + 2 + length <= jpeg.size())
            at = 2 + 2 + length;
    }
    QByteArray out;
    out.reserve(jpeg.size() + segmentBytes.size());
    out.append(jpeg.constData(), at);
    out.append(segmentBytes);
    out.append(jpeg.constData() + at, jpeg.size() - at);
    return out;
}

} // namespace Imaging::Detail
