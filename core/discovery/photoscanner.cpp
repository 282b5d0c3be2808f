#include "core/discovery/photoscanner.h"

#include "core/corelog.h"
#include "core/files/filename.h"
#include "core/formats/filekind.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the directory stream however the listing ends.
struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

void append2(QString &text, int value)
{
    text.append(QChar(u'0' + value / 10));
    text.append(QChar(u'0' + value % 10));
}

// The order of the members of a shot, and which of them is its key.
int memberRank(FileKind kind)
{
    switch (kind) {
    case FileKind::Jpeg:
        return 0;
    case FileKind::Raw:
        return 1;
    case FileKind::Heif:
        return 2;
    case FileKind::Video:
        return 3;
    case FileKind::Sidecar:
        return 4;
    case FileKind::Other:
        break;
    }
    return 5;
}

} // namespace

struct PhotoScanner::Entry : FolderEntry {
    bool photo = false;   // a shot's key member, or a JPEG with the other formats off
    bool member = false;  // any member of a shot of several files, the key too
    int rank = 5;         // memberRank; 5 for every other file
    std::vector<std::size_t> companions; // of a key member: the other members, in member order
};

QStringList FoundPhoto::memberPaths() const
{
    QStringList paths{path};
    for (const QString &companion : companions)
        paths.append(companion.mid(14));
    return paths;
}

PhotoScanner::PhotoScanner(ScanRules rules) : m_rules(std::move(rules))
{
    // A folder typed with a trailing separator or with Windows separators still names the folder.
    m_rules.ignoredFolder.replace(u'\\', u'/');
    while (m_rules.ignoredFolder.size() > 1 && m_rules.ignoredFolder.endsWith(u'/'))
        m_rules.ignoredFolder.chop(1);
}

QString PhotoScanner::extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1).toUpper();
}

bool PhotoScanner::isPhotoName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QString extension = name.mid(dot).toUpper();
    return extension == QLatin1String(".JPG") || extension == QLatin1String(".JPEG");
}

QString PhotoScanner::dateKey(qint64 secondsSinceEpoch)
{
    const time_t seconds = time_t(secondsSinceEpoch);
    struct tm local {};
    QString key;
    key.reserve(14);
    if (!localtime_r(&seconds, &local) || local.tm_year + 1900 < 0 || local.tm_year + 1900 > 9999) {
        // A time the calendar cannot show: the earliest date a card can hold.
        return QStringLiteral("19800101000000");
    }
    const int year = local.tm_year + 1900;
    append2(key, year / 100);
    append2(key, year % 100);
    append2(key, local.tm_mon + 1);
    append2(key, local.tm_mday);
    append2(key, local.tm_hour);
    append2(key, local.tm_min);
    append2(key, local.tm_sec - local.tm_sec % 2);
    return key;
}

bool PhotoScanner::enterSubfolder(const QString &parent, const QString &name) const
{
    if (!m_rules.withSubfolders || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name == m_rules.lowQualityFolder)
        return false;
    return parent + name != m_rules.ignoredFolder;
}

void PhotoScanner::scan(const QString &folder, const std::function<void()> &progress)
{
    m_progress = progress;
    scanFolder(folder);
    m_progress = nullptr;
}

void PhotoScanner::scanFolder(const QString &folder)
{
    const QByteArray encoded = FileName::encode(folder);
    const int fd = open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        qCInfo(lumaroCore) << "folder" << folder << "not listed:" << strerror(errno);
        return;
    }
    struct stat self {};
    if (fstat(fd, &self) == 0) {
        // A folder reached twice through links is listed once: no loops, no photo twice.
        const std::pair<unsigned long long, unsigned long long> id(self.st_dev, self.st_ino);
        if (!m_visited.insert(id).second) {
            close(fd);
            return;
        }
    }
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        close(fd);
        return;
    }
    if (m_progress)
        m_progress();

    std::vector<FolderEntry> entries;
    while (const dirent *item = readdir(dir.get())) {
        const char *rawName = item->d_name;
        if (rawName[0] == '.' && (rawName[1] == 0 || (rawName[1] == '.' && rawName[2] == 0)))
            continue;
        unsigned char type = item->d_type;
        struct stat info {};
        bool haveInfo = false;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            if (fstatat(dirfd(dir.get()), rawName, &info, 0) != 0)
                continue; // a dangling link
            haveInfo = true;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type != DT_DIR && type != DT_REG)
            continue; // devices, pipes and sockets are not files to copy
        FolderEntry entry;
        entry.name = FileName::decode(rawName);
        entry.folder = type == DT_DIR;
        if (!entry.folder && mayBePhoto(entry.name, m_rules)) {
            if (!haveInfo && fstatat(dirfd(dir.get()), rawName, &info, 0) != 0)
                continue;
            entry.time = qint64(info.st_mtim.tv_sec);
        }
        entries.push_back(std::move(entry));
    }
    dir.reset();
    sortOut(std::move(entries), folder, m_rules, m_photos, m_extras, [&](const QString &name) {
        if (enterSubfolder(folder, name))
            scanFolder(folder + name + u'/');
    });
}

bool PhotoScanner::mayBePhoto(const QString &name, const ScanRules &rules)
{
    return rules.allFormats ? memberRank(fileKindOf(name)) < 5 : isPhotoName(name);
}

void PhotoScanner::sortOut(std::vector<FolderEntry> listed, const QString &folder, const ScanRules &rules,
                           std::vector<FoundPhoto> &photos, QStringList &extras,
                           const std::function<void(const QString &name)> &enterSubfolder)
{
    std::vector<Entry> entries;
    entries.reserve(listed.size());
    for (FolderEntry &item : listed) {
        Entry entry;
        static_cast<FolderEntry &>(entry) = std::move(item);
        if (!entry.folder) {
            if (rules.allFormats)
                entry.rank = memberRank(fileKindOf(entry.name));
            else
                entry.photo = isPhotoName(entry.name);
        }
        entries.push_back(std::move(entry));
    }
    // The listing's own order is arbitrary: go by name so that extra files are met, and
    // numbered when copied, the same way every time.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    if (rules.allFormats)
        groupShots(entries);
    for (const Entry &entry : entries) {
        if (entry.folder) {
            enterSubfolder(entry.name);
        } else if (entry.photo) {
            FoundPhoto photo{dateKey(entry.time), folder + entry.name, {}};
            for (const std::size_t companion : entry.companions)
                photo.companions.append(dateKey(entries[companion].time) + folder + entries[companion].name);
            photos.push_back(std::move(photo));
        } else if (entry.member) {
            // Travels with its shot's key member.
        } else {
            const QString extension = extensionOf(entry.name);
            if (!extension.isEmpty() && rules.extraExtensions.contains(extension))
                extras.append(folder + entry.name);
        }
    }
}

void PhotoScanner::groupShots(std::vector<Entry> &entries)
{
    // The files of one name, in the listing's order (by name); a second file whose extension
    // reads the same in capitals (IMG.jpg beside IMG.JPG) opens a group of its own, since both
    // would take the same new name.
    struct Group {
        QString stem;
        QStringList extensions;
        std::vector<std::size_t> files;
    };
    std::vector<Group> groups;
    QHash<QString, std::vector<std::size_t>> groupsByStem;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        if (entry.folder || entry.rank >= 5)
            continue;
        const qsizetype dot = entry.name.lastIndexOf(u'.');
        const QString stem = entry.name.left(dot).toUpper();
        // A JPEG always takes ".JPG": IMG.JPEG and IMG.JPG cannot share a new name.
        const QString extension = entry.rank == 0 ? QStringLiteral("JPG") : entry.name.mid(dot + 1).toUpper();
        std::vector<std::size_t> &candidates = groupsByStem[stem];
        auto group = std::find_if(candidates.begin(), candidates.end(), [&](std::size_t g) {
            return !groups[g].extensions.contains(extension);
        });
        if (group == candidates.end()) {
            candidates.push_back(groups.size());
            groups.push_back({stem, {}, {}});
            group = candidates.end() - 1;
        }
        groups[*group].extensions.append(extension);
        groups[*group].files.push_back(i);
    }
    for (Group &group : groups) {
        std::stable_sort(group.files.begin(), group.files.end(),
                         [&](std::size_t a, std::size_t b) { return entries[a].rank < entries[b].rank; });
        Entry &key = entries[group.files.front()];
        if (key.rank > memberRank(FileKind::Video))
            continue; // sidecars alone: no shot
        key.photo = true;
        if (group.files.size() == 1)
            continue;
        key.member = true;
        for (std::size_t m = 1; m < group.files.size(); ++m) {
            entries[group.files[m]].member = true;
            key.companions.push_back(group.files[m]);
        }
    }
}

std::vector<FoundPhoto> PhotoScanner::sortedPhotos() const
{
    std::vector<FoundPhoto> photos = m_photos;
    sortPhotos(photos);
    return photos;
}

void PhotoScanner::sortPhotos(std::vector<FoundPhoto> &photos)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(photos.begin(), photos.end(), [&collator](const FoundPhoto &a, const FoundPhoto &b) {
        if (a.dateKey != b.dateKey)
            return a.dateKey < b.dateKey;
        const int order = collator.compare(a.path, b.path);
        if (order != 0)
            return order < 0;
        return a.path < b.path;
    });
    photos.erase(std::unique(photos.begin(), photos.end(),
                             [](const FoundPhoto &a, const FoundPhoto &b) { return a.dateKey == b.dateKey && a.path == b.path; }),
                 photos.end());
}
