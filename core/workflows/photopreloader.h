#pragma once
// Decodes on threads of their own, one per photo, the photos the user is likely to look at next
// (the next and the previous one), so that moving to them shows a picture already decoded. Pictures are decoded
// at the smallest DCT scale that still covers the display size. A photo whose file changes
// (turned, deleted) is forgotten by its owner; nothing stale is ever handed out for it.
#include "core/imaging/imaging.h"
#include "core/sources/photosource.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <future>
#include <map>
#include <memory>

class FormatReader;

class PhotoPreloader {
public:
    explicit PhotoPreloader(Imaging::MetadataChoice metadata = Imaging::MetadataChoice::Skip);
    ~PhotoPreloader(); // waits for the decodes under way
    PhotoPreloader(const PhotoPreloader &) = delete;
    PhotoPreloader &operator=(const PhotoPreloader &) = delete;

    // A camera or phone the photos are read from (null: files on the disk).
    void setSource(std::shared_ptr<PhotoSource> source) { m_source = std::move(source); }
    // Reads the pictures of HEIF and RAW files (upright) through the reader, which must outlive
    // the preloader; a video, or a file the reader cannot picture, gives a null picture (the
    // reason is logged). Without one, every file is read as a JPEG.
    void setFormatReader(FormatReader *reader) { m_formats = reader; }

    // The size to cover; a new size drops what was decoded for the old one.
    void setTarget(QSize target);
    QSize target() const { return m_target; }

    // Starts decoding, in the background, those of the photos that are neither ready nor
    // under way, and drops every other photo from the cache.
    void preload(const QStringList &paths);
    // The photo decoded for the target: ready, waited for, or decoded now. Throws ImagingError
    // as the imaging layer does, also for a decode made in the background.
    Imaging::Photo load(const QString &path);
    // The file changed on disk: what was decoded of it is of no use any more.
    void forget(const QString &path);
    // Whether a decode of the photo is ready or under way (for tests and benchmarks).
    bool isPending(const QString &path) const { return m_jobs.count(path) > 0; }

private:
    std::shared_future<Imaging::Photo> start(const QString &path) const;

    static Imaging::Photo decode(const std::shared_ptr<PhotoSource> &source, const QString &path, QSize target,
                                 Imaging::MetadataChoice metadata);

    std::shared_ptr<PhotoSource> m_source;
    Imaging::MetadataChoice m_metadata;
    FormatReader *m_formats = nullptr;
    QSize m_target;
    std::map<QString, std::shared_future<Imaging::Photo>> m_jobs;
};
