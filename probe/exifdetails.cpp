#include "probe/exifdetails.h"

#include "core/exif/exifreader.h"

#include <exiv2/exiv2.hpp>

#include <set>
#include <string>

namespace ExifDetails {

namespace {

// What a copy of the photo can keep: the main picture's description, the shooting data, the
// position. Offsets into the source file and maker notes would point nowhere in a copy.
bool worthCarrying(const Exiv2::Exifdatum &datum)
{
    static const std::set<std::string> groups = {"Image", "Photo", "GPSInfo", "Iop"};
    static const std::set<uint16_t> sourceOnly = {
        0x00FE, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x0111, 0x0115, 0x0116, 0x0117, 0x011C,
        0x014A, 0x0201, 0x0202, 0x0144, 0x0145, 0x927C, 0xC612, 0xC613, 0xC614,
    };
    if (!groups.count(datum.groupName()) || sourceOnly.count(datum.tag()))
        return false;
    return datum.size() <= 4096;
}

QByteArray carriedBlock(const Exiv2::ExifData &exif)
{
    Exiv2::ExifData kept;
    for (const Exiv2::Exifdatum &datum : exif)
        if (worthCarrying(datum))
            kept.add(datum);
    if (kept.empty())
        return {};
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, kept);
    if (blob.empty() || blob.size() > size_t(ProbeProtocol::MaximumExifBlockBytes))
        return {};
    return QByteArray(reinterpret_cast<const char *>(blob.data()), qsizetype(blob.size()));
}

} // namespace

int orientationOf(const Exiv2::ExifData &exif)
{
    const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (it == exif.end() || it->count() == 0)
        return 1;
    const Exiv2::TypeId type = it->typeId();
    if (type != Exiv2::unsignedShort && type != Exiv2::unsignedLong && type != Exiv2::signedShort
        && type != Exiv2::signedLong)
        return 1; // toLong() of a text is its first character's code
    const long value = it->toLong();
    return value >= 1 && value <= 8 ? int(value) : 1;
}

void fill(ProbeProtocol::Reply &reply, const Exiv2::ExifData &exif, const QByteArray &tiff)
{
    reply.entries = ExifReader::entriesOf(exif);
    reply.orientation = orientationOf(exif);
    try {
        reply.exifBlock = !tiff.isEmpty() && tiff.size() <= ProbeProtocol::MaximumExifBlockBytes ? tiff
                                                                                               : carriedBlock(exif);
    } catch (...) {
        reply.exifBlock.clear(); // a copy then goes without EXIF; the entries stand
    }
}

} // namespace ExifDetails
