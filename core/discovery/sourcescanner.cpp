#include "core/discovery/sourcescanner.h"

#include "core/corelog.h"

#include <QCollator>

#include <algorithm>

namespace {

// Devices have no links, but a broken file system may list a folder inside itself: a depth no
// camera reaches stops the walk.
constexpr int MaximumDepth = 64;

} // namespace

SourceScanner::SourceScanner(PhotoSource &source, ScanRules rules) : m_source(source), m_rules(std::move(rules)) {}

void SourceScanner::scan(const QString &folder, const std::function<void()> &progress)
{
    m_progress = progress;
    scanFolder(folder, 0);
    m_progress = nullptr;
}

void SourceScanner::scanFolder(const QString &folder, int depth)
{
    if (depth > MaximumDepth || m_outcome.status == DeviceStatus::Gone)
        return;
    const DeviceResult<SourceListing> listed = m_source.list(folder);
    if (!listed.ok()) {
        qCInfo(lumaroCore) << "folder" << folder << "not listed:" << listed.message;
        if (m_outcome.ok() || listed.status == DeviceStatus::Gone)
            m_outcome = listed;
        return;
    }
    if (m_progress)
        m_progress();

    // Extra files are met, and numbered when copied, in name order, a sub-folder's content
    // where the sub-folder comes, as in a folder.
    struct Entry {
        QString name;
        const SourceFile *file = nullptr; // null for a folder
    };
    std::vector<Entry> entries;
    for (const QString &name : listed.value.folders)
        entries.push_back({name, nullptr});
    for (const SourceFile &file : listed.value.files)
        entries.push_back({file.name, &file});
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    for (const Entry &entry : entries) {
        const QString path = PhotoSource::childOf(folder, entry.name);
        if (!entry.file) {
            if (m_rules.withSubfolders && entry.name != m_rules.lowQualityFolder && path != m_rules.ignoredFolder)
                scanFolder(path + u'/', depth + 1);
        } else if (PhotoScanner::isPhotoName(entry.name)) {
            const QDateTime &modified = entry.file->modified;
            m_photos.push_back({PhotoScanner::dateKey(modified.isValid() ? modified.toSecsSinceEpoch() : 0), path, {}});
        } else {
            const QString extension = PhotoScanner::extensionOf(entry.name);
            if (!extension.isEmpty() && m_rules.extraExtensions.contains(extension))
                m_extras.append(path);
        }
    }
}

void SourceScanner::sort(std::vector<FoundPhoto> &photos)
{
    PhotoScanner::sortPhotos(photos);
}

std::vector<FoundPhoto> SourceScanner::sortedPhotos() const
{
    std::vector<FoundPhoto> photos = m_photos;
    sort(photos);
    return photos;
}
