#include "core/workflows/photopreloader.h"

#include "core/formats/filekind.h"
#include "core/formats/formatreader.h"

namespace {

// A RAW's or HEIF's picture, upright; a video has none.
Imaging::Photo loadFormat(FormatReader &reader, const std::shared_ptr<PhotoSource> &source, const QString &path,
                          QSize target)
{
    Imaging::Photo photo;
    if (fileKindOf(path) == FileKind::Video)
        return photo;
    if (!source || !source->isDevice()) {
        photo.picture = reader.picture(path, target, FormatReader::Scale::Cover).picture;
        return photo;
    }
    const DeviceResult<QByteArray> bytes = source->readFile(path);
    if (!bytes.ok())
        throw LumaroError(bytes.message);
    photo.picture = reader.picture(path, bytes.value, target, FormatReader::Scale::Cover).picture;
    return photo;
}

} // namespace

PhotoPreloader::PhotoPreloader(Imaging::MetadataChoice metadata) : m_metadata(metadata) {}

PhotoPreloader::~PhotoPreloader()
{
    // A decode still running uses nothing of this object, but it must end before the program
    // may: the futures of std::async wait in their destructors, here and not later.
    m_jobs.clear();
}

void PhotoPreloader::setTarget(QSize target)
{
    if (target == m_target)
        return;
    m_target = target;
    m_jobs.clear();
}

Imaging::Photo PhotoPreloader::decode(const std::shared_ptr<PhotoSource> &source, const QString &path, QSize target,
                                      Imaging::MetadataChoice metadata)
{
    if (!source || !source->isDevice())
        return Imaging::loadPhotoCovering(path, target, metadata);
    const DeviceResult<QByteArray> bytes = source->readFile(path);
    if (!bytes.ok())
        throw LumaroError(bytes.message);
    return Imaging::decodePhoto(bytes.value, metadata, target);
}

std::shared_future<Imaging::Photo> PhotoPreloader::start(const QString &path) const
{
    const QSize target = m_target;
    const Imaging::MetadataChoice metadata = m_metadata;
    FormatReader *formats = m_formats && isProbedKind(fileKindOf(path)) ? m_formats : nullptr;
    return std::async(std::launch::async, [source = m_source, path, target, metadata, formats] {
               return formats ? loadFormat(*formats, source, path, target) : decode(source, path, target, metadata);
           }).share();
}

void PhotoPreloader::preload(const QStringList &paths)
{
    for (auto it = m_jobs.begin(); it != m_jobs.end();)
        it = paths.contains(it->first) ? std::next(it) : m_jobs.erase(it);
    for (const QString &path : paths)
        if (!path.isEmpty() && !m_jobs.count(path))
            m_jobs.emplace(path, start(path));
}

Imaging::Photo PhotoPreloader::load(const QString &path)
{
    const auto found = m_jobs.find(path);
    if (found == m_jobs.end()) {
        if (m_formats && isProbedKind(fileKindOf(path)))
            return loadFormat(*m_formats, m_source, path, m_target);
        return decode(m_source, path, m_target, m_metadata);
    }
    // get() hands over the picture, or throws the error that the background decode met.
    const std::shared_future<Imaging::Photo> job = found->second;
    return job.get();
}

void PhotoPreloader::forget(const QString &path)
{
    m_jobs.erase(path);
}
