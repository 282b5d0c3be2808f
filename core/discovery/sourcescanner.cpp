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

    std::vector<FolderEntry> entries;
    for (const QString &name : listed.value.folders)
        entries.push_back({name, true, 0});
    for (const SourceFile &file : listed.value.files)
        entries.push_back({file.name, false, file.modified.isValid() ? file.modified.toSecsSinceEpoch() : 0});
    PhotoScanner::sortOut(std::move(entries), folder, m_rules, m_photos, m_extras, [&](const QString &name) {
        const QString path = PhotoSource::childOf(folder, name);
        if (m_rules.withSubfolders && name != m_rules.lowQualityFolder && path != m_rules.ignoredFolder)
            scanFolder(path + u'/', depth + 1);
    });
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
