#include "probe/rawreader.h"

#include "probe/exifdetails.h"
#include "probe/uprightpicture.h"

#include "core/imaging/imaging.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <cstring>
#include <memory>

namespace RawReader {

namespace {

using ProbeProtocol::Reply;
using Scale = ProbeProtocol::Request::Scale;

// A preview is at most a full-size JPEG; more than this is a damaged length.
constexpr uint32_t MaximumPreviewBytes = 256 * 1024 * 1024;

Reply failureReply(const QString &reason)
{
    Reply reply;
    reply.failure = reason;
    return reply;
}

// Exiv2 picks its parser by content and knows far more than RAW files, videos included, whose
// parsers loop on damaged files. Only the structures cameras write their RAW files in are
// read; ISO-BMFF only as Canon's CR3.
bool isRawStructure(const Exiv2::Image &image, const ProbeInput &input)
{
    switch (image.imageType()) {
    case Exiv2::ImageType::tiff: // also DNG, NEF, ARW, PEF, SRW, SR2, 3FR, ERF, IIQ
    case Exiv2::ImageType::cr2:
    case Exiv2::ImageType::crw:
    case Exiv2::ImageType::mrw:
    case Exiv2::ImageType::orf:
    case Exiv2::ImageType::raf:
    case Exiv2::ImageType::rw2:
        return true;
    case Exiv2::ImageType::bmff: {
        char head[12];
        return input.read(0, head, sizeof head) == sizeof head && std::memcmp(head + 4, "ftypcrx ", 8) == 0;
    }
    default:
        return false;
    }
}

std::unique_ptr<Exiv2::Image> opened(const ProbeInput &input)
{
    std::unique_ptr<Exiv2::Image> image(
        input.isFile() ? Exiv2::ImageFactory::open(std::string(input.path().constData(), size_t(input.path().size())))
                             .release()
                       : Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(input.bytes().constData()),
                                                   long(input.bytes().size()))
                             .release());
    if (!image || !isRawStructure(*image, input))
        throw Exiv2::Error(Exiv2::kerFileContainsUnknownImageType);
    image->readMetadata();
    return image;
}

qint64 pixelsOf(const Exiv2::PreviewProperties &p)
{
    return qint64(p.width_) * p.height_;
}

// The JPEG previews, smallest first (by pixels, then by bytes when the size is unknown).
Exiv2::PreviewPropertiesList jpegPreviews(const Exiv2::PreviewManager &manager)
{
    Exiv2::PreviewPropertiesList all = manager.getPreviewProperties();
    Exiv2::PreviewPropertiesList jpegs;
    std::copy_if(all.begin(), all.end(), std::back_inserter(jpegs), [](const Exiv2::PreviewProperties &p) {
        return p.mimeType_ == "image/jpeg" && p.size_ > 0 && p.size_ <= MaximumPreviewBytes;
    });
    std::stable_sort(jpegs.begin(), jpegs.end(), [](const auto &a, const auto &b) {
        return pixelsOf(a) != pixelsOf(b) ? pixelsOf(a) < pixelsOf(b) : a.size_ < b.size_;
    });
    return jpegs;
}

// The smallest preview that covers what the box needs, else the largest.
const Exiv2::PreviewProperties &chosen(const Exiv2::PreviewPropertiesList &previews, int orientation, QSize box,
                                       Scale scale)
{
    const Exiv2::PreviewProperties &largest = previews.back();
    const QSize largestSize(int(largest.width_), int(largest.height_));
    if (box.isEmpty() || largestSize.isEmpty())
        return largest;
    const QSize needed = UprightPicture::storedTarget(largestSize, orientation, box, scale);
    for (const Exiv2::PreviewProperties &p : previews)
        if (int(p.width_) >= needed.width() && int(p.height_) >= needed.height())
            return p;
    return largest;
}

QString exiv2Reason(const Exiv2::AnyError &error)
{
    if (error.code() == Exiv2::kerFileContainsUnknownImageType || error.code() == Exiv2::kerMemoryContainsUnknownImageType
        || error.code() == Exiv2::kerNotAnImage)
        return QStringLiteral("Fichier RAW illisible (format non reconnu)");
    return QStringLiteral("Fichier RAW illisible");
}

} // namespace

void prepare()
{
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::enableBMFF(true);
}

Reply metadata(const ProbeInput &input)
{
    try {
        const std::unique_ptr<Exiv2::Image> image = opened(input);
        Reply reply;
        ExifDetails::fill(reply, image->exifData());
        return reply;
    } catch (const Exiv2::AnyError &error) {
        return failureReply(exiv2Reason(error));
    }
}

Reply picture(const ProbeInput &input, QSize box, Scale scale)
{
    try {
        const std::unique_ptr<Exiv2::Image> image = opened(input);
        const int orientation = ExifDetails::orientationOf(image->exifData());
        const Exiv2::PreviewManager manager(*image);
        const Exiv2::PreviewPropertiesList previews = jpegPreviews(manager);
        if (previews.empty())
            return failureReply(QStringLiteral("Aucun aperçu dans ce fichier RAW"));
        const Exiv2::PreviewProperties &properties = chosen(previews, orientation, box, scale);
        const Exiv2::PreviewImage preview = manager.getPreviewImage(properties);
        const QByteArray jpeg(reinterpret_cast<const char *>(preview.pData()), qsizetype(preview.size()));
        // Decoded at the smallest DCT scale that still covers what the box needs.
        const QSize declared(int(properties.width_), int(properties.height_));
        const QSize target = box.isEmpty() || declared.isEmpty()
                                 ? QSize()
                                 : UprightPicture::storedTarget(declared, orientation, box, scale);
        const Imaging::Photo photo = Imaging::decodePhoto(jpeg, Imaging::MetadataChoice::Skip, target);
        Reply reply;
        reply.orientation = orientation;
        reply.picture = UprightPicture::scaledUpright(photo.picture, orientation, box, scale);
        reply.storedSize = photo.storedSize;
        return reply;
    } catch (const Exiv2::AnyError &error) {
        return failureReply(exiv2Reason(error));
    } catch (const Imaging::ImagingError &error) {
        return failureReply(QStringLiteral("Aperçu du fichier RAW illisible (%1)").arg(error.message()));
    }
}

} // namespace RawReader
