#include "probe/heifreader.h"

#include "probe/bmfftransforms.h"
#include "probe/exifdetails.h"
#include "probe/uprightpicture.h"

#include "core/imaging/imaging.h"

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>

#include <QtEndian>

#include <cstring>
#include <memory>
#include <vector>

#include <sys/mman.h>

namespace HeifReader {

namespace {

using ProbeProtocol::Reply;
using Scale = ProbeProtocol::Request::Scale;

// Sides beyond this are refused by libheif itself before it allocates; the pixel count is
// checked here before a decode.
constexpr int MaximumSide = 32'768;
constexpr size_t MaximumExifItemBytes = 4 * 1024 * 1024;

class HeifFailure : public std::exception {
public:
    explicit HeifFailure(QString reason) : m_reason(std::move(reason)) {}
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

void check(const heif_error &error)
{
    if (error.code == heif_error_Ok)
        return;
    // libheif files what its limits refuse (a picture or a box claiming gigabytes) under
    // allocation errors too.
    if (error.subcode == heif_suberror_Security_limit_exceeded)
        throw HeifFailure(QStringLiteral("Image HEIF trop grande ou endommagée"));
    if (error.code == heif_error_Memory_allocation_error)
        throw HeifFailure(QStringLiteral("Mémoire insuffisante"));
    const QString detail = QString::fromUtf8(error.message ? error.message : "").simplified().left(200);
    throw HeifFailure(detail.isEmpty() ? QStringLiteral("Image HEIF illisible")
                                       : QStringLiteral("Image HEIF illisible (%1)").arg(detail));
}

// --- The file as libheif reads it ---------------------------------------------------------------

// The file mapped rather than read: libheif reads the whole media data of a file into a buffer
// of its own, megabytes copied for a thumbnail of a few kilobytes, where from memory it takes
// only what it decodes. A file cut short while it is mapped ends the probe, not the program.
class Mapping {
public:
    Mapping(int fd, qint64 size)
    {
        void *address = size > 0 ? ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
        if (address != MAP_FAILED) {
            m_address = address;
            m_size = size_t(size);
        }
    }
    ~Mapping()
    {
        if (m_address)
            ::munmap(m_address, m_size);
    }
    Mapping(const Mapping &) = delete;
    Mapping &operator=(const Mapping &) = delete;
    const void *address() const { return m_address; }
    size_t size() const { return m_size; }

private:
    void *m_address = nullptr;
    size_t m_size = 0;
};

struct Cursor {
    const ProbeInput *input;
    qint64 position = 0;
};

int64_t positionOf(void *userdata)
{
    return static_cast<Cursor *>(userdata)->position;
}

int readInto(void *data, size_t size, void *userdata)
{
    auto *cursor = static_cast<Cursor *>(userdata);
    if (cursor->input->read(cursor->position, static_cast<char *>(data), qint64(size)) != qint64(size))
        return 1;
    cursor->position += qint64(size);
    return 0;
}

int seekTo(int64_t position, void *userdata)
{
    auto *cursor = static_cast<Cursor *>(userdata);
    if (position < 0 || position > cursor->input->size())
        return 1;
    cursor->position = position;
    return 0;
}

heif_reader_grow_status waitForSize(int64_t target, void *userdata)
{
    return target <= static_cast<Cursor *>(userdata)->input->size() ? heif_reader_grow_status_size_reached
                                                                     : heif_reader_grow_status_size_beyond_eof;
}

const heif_reader Reader = {1, positionOf, readInto, seekTo, waitForSize};

struct ContextDeleter {
    void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(heif_image *i) const { heif_image_release(i); }
};
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;

// An open file and its primary image.
class HeifFile {
public:
    explicit HeifFile(const ProbeInput &input) : m_cursor{&input}
    {
        if (input.isFile())
            m_mapping = std::make_unique<Mapping>(input.descriptor(), input.size());
        m_context.reset(heif_context_alloc());
        if (!m_context)
            throw HeifFailure(QStringLiteral("Mémoire insuffisante"));
        heif_context_set_maximum_image_size_limit(m_context.get(), MaximumSide);
        if (!input.isFile())
            check(heif_context_read_from_memory_without_copy(m_context.get(), input.bytes().constData(),
                                                             size_t(input.bytes().size()), nullptr));
        else if (m_mapping->address())
            check(heif_context_read_from_memory_without_copy(m_context.get(), m_mapping->address(), m_mapping->size(),
                                                             nullptr));
        else
            check(heif_context_read_from_reader(m_context.get(), &Reader, &m_cursor, nullptr));
        heif_image_handle *primary = nullptr;
        check(heif_context_get_primary_image_handle(m_context.get(), &primary));
        m_primary.reset(primary);
    }

    heif_image_handle *primary() const { return m_primary.get(); }

    // The primary image's EXIF data in its TIFF form; empty when it has none that reads.
    QByteArray exifTiff() const
    {
        heif_item_id id = 0;
        if (heif_image_handle_get_list_of_metadata_block_IDs(primary(), "Exif", &id, 1) != 1)
            return {};
        const size_t size = heif_image_handle_get_metadata_size(primary(), id);
        if (size < 4 || size > MaximumExifItemBytes)
            return {};
        QByteArray item(qsizetype(size), Qt::Uninitialized);
        if (heif_image_handle_get_metadata(primary(), id, item.data()).code != heif_error_Ok)
            return {};
        // The item starts with the offset of the TIFF header after these four bytes; some
        // writers put the JPEG "Exif\0\0" marker there.
        const quint32 offset = qFromBigEndian<quint32>(item.constData());
        if (offset > size - 4)
            return {};
        QByteArray tiff = item.mid(4 + qsizetype(offset));
        if (tiff.startsWith(QByteArrayLiteral("Exif\0\0")))
            tiff.remove(0, 6);
        return tiff;
    }

    // The smallest thumbnail that still covers `needed` (sizes as libheif gives them, upright by
    // the container's transformations); none when no thumbnail is large enough.
    Handle thumbnailCovering(QSize needed) const
    {
        const int count = heif_image_handle_get_number_of_thumbnails(primary());
        if (count <= 0 || needed.isEmpty())
            return {};
        std::vector<heif_item_id> ids(size_t(std::min(count, 16)));
        const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary(), ids.data(), int(ids.size()));
        Handle best;
        qint64 bestPixels = 0;
        for (int i = 0; i < listed; ++i) {
            heif_image_handle *thumbnail = nullptr;
            if (heif_image_handle_get_thumbnail(primary(), ids[size_t(i)], &thumbnail).code != heif_error_Ok)
                continue;
            Handle handle(thumbnail);
            const QSize size = sizeOf(handle.get());
            const qint64 pixels = qint64(size.width()) * size.height();
            if (size.width() >= needed.width() && size.height() >= needed.height() && (!best || pixels < bestPixels)) {
                best = std::move(handle);
                bestPixels = pixels;
            }
        }
        return best;
    }

    static QSize sizeOf(const heif_image_handle *handle)
    {
        return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
    }

private:
    Cursor m_cursor;
    std::unique_ptr<Mapping> m_mapping; // outlives the context that reads it
    std::unique_ptr<heif_context, ContextDeleter> m_context;
    Handle m_primary;
};

// EXIF data decoded from its TIFF form; empty when it does not decode.
Exiv2::ExifData decodedExif(const QByteArray &tiff)
{
    Exiv2::ExifData exif;
    if (tiff.isEmpty())
        return exif;
    try {
        Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte *>(tiff.constData()), uint32_t(tiff.size()));
    } catch (...) {
        exif.clear();
    }
    return exif;
}

QImage decoded(const heif_image_handle *handle)
{
    const QSize size = HeifFile::sizeOf(handle);
    if (size.isEmpty())
        throw HeifFailure(QStringLiteral("Image HEIF illisible"));
    if (qint64(size.width()) * size.height() > ProbeProtocol::MaximumPicturePixels)
        throw HeifFailure(QStringLiteral("Image trop grande"));
    heif_image *raw = nullptr;
    check(heif_decode_image(handle, &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr));
    std::unique_ptr<heif_image, ImageDeleter> image(raw);
    int stride = 0;
    const uint8_t *pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0 || stride < width * 3)
        throw HeifFailure(QStringLiteral("Image HEIF illisible"));
    // The picture lives in libheif's buffer, released with the last copy of the QImage: a full
    // photo is not copied once more before it is scaled.
    QImage picture(pixels, width, height, stride, QImage::Format_RGB888,
                   [](void *released) { heif_image_release(static_cast<heif_image *>(released)); }, image.get());
    if (picture.isNull())
        throw HeifFailure(QStringLiteral("Mémoire insuffisante"));
    image.release();
    return picture;
}

Reply failureReply(const QString &reason)
{
    Reply reply;
    reply.failure = reason;
    return reply;
}

} // namespace

Reply metadata(const ProbeInput &input)
{
    try {
        const HeifFile file(input);
        const QByteArray tiff = file.exifTiff();
        Reply reply;
        ExifDetails::fill(reply, decodedExif(tiff), tiff);
        return reply;
    } catch (const HeifFailure &failure) {
        return failureReply(failure.reason());
    }
}

Reply picture(const ProbeInput &input, QSize box, Scale scale)
{
    try {
        const HeifFile file(input);
        // libheif turns the picture by the container's own transformations; only a file
        // without them is turned by its EXIF orientation here.
        const int orientation =
            BmffTransforms::present(input) ? 1 : ExifDetails::orientationOf(decodedExif(file.exifTiff()));
        const QSize primarySize = HeifFile::sizeOf(file.primary());
        const QSize needed = UprightPicture::storedTarget(primarySize, orientation, box, scale);
        Handle thumbnail;
        if (needed != primarySize)
            thumbnail = file.thumbnailCovering(needed);
        const QImage stored = decoded(thumbnail ? thumbnail.get() : file.primary());
        Reply reply;
        reply.orientation = orientation;
        reply.picture = UprightPicture::scaledUpright(stored, orientation, box, scale);
        reply.storedSize = primarySize;
        return reply;
    } catch (const HeifFailure &failure) {
        return failureReply(failure.reason());
    } catch (const Imaging::ImagingError &error) {
        return failureReply(error.message());
    }
}

} // namespace HeifReader
