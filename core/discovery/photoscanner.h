#pragma once
// Walks a source folder and sorts out its photos (".JPG"/".JPEG") and the extra files whose
// extension the user listed, with the folder rules of the search. No filtering, no history.
//
// With the other formats on, RAW, HEIF and video files are photos too, and the files of one
// folder that share their name before the extension (letter case ignored, as on a card) form
// one shot: its key member is its JPEG, else its RAW, else its HEIF, else its video; the
// sidecars (XMP, THM, WAV) join a shot of their name and are never a shot of their own. A
// member of a shot is never an extra file. Two files whose names differ only by letter case
// and that would take the same new name are never members of one shot.
#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <vector>

struct FoundPhoto {
    QString dateKey; // "YYYYMMDDHHNNSS" of the local last-write time, seconds rounded down to even
    QString path;    // the searched folder as given, the sub-folders, the name as listed
    QString entry() const { return dateKey + path; }
    // The shot's other members as "date key + path", in member order (by kind: JPEG, RAW,
    // HEIF, video, sidecar; then by name); empty for a shot of one file.
    QStringList companions;
    // Every member's path, key first.
    QStringList memberPaths() const;
};

struct ScanRules {
    bool withSubfolders = true;
    QString lowQualityFolder; // a sub-folder of this exact name is skipped
    QString ignoredFolder;    // a sub-folder of this exact full path (no trailing "/") is skipped
    QString extraExtensions;  // a file is extra when its upper-cased extension occurs in this text
    bool allFormats = false;  // RAW, HEIF and video files are photos, grouped into shots
};

// One entry of a folder's listing, as any source lists it.
struct FolderEntry {
    QString name;
    bool folder = false;
    qint64 time = 0; // last-write time in seconds since 1970 (photos and members only)
};

class PhotoScanner {
public:
    explicit PhotoScanner(ScanRules rules);

    // Lists the folder (which must end with "/"). A folder that cannot be listed adds nothing.
    // progress, if given, is called once per folder listed.
    void scan(const QString &folder, const std::function<void()> &progress = {});

    // The photos by date key, then by path ignoring letter case (then exactly, so that two names
    // differing only by case both stay, in a fixed order); the same path never twice.
    std::vector<FoundPhoto> sortedPhotos() const;
    // The order above, for photos found by another scanner.
    static void sortPhotos(std::vector<FoundPhoto> &photos);
    // The extra files in the order they were met (each folder's entries by name, a sub-folder's
    // content where the sub-folder comes).
    const QStringList &extraFiles() const { return m_extras; }

    static bool isPhotoName(const QString &name);
    // Whether a file of that name may be a photo or a member of a shot under these rules, so
    // that its time is needed.
    static bool mayBePhoto(const QString &name, const ScanRules &rules);
    // Sorts out the listing of `folder` (a string ending with "/") under the rules: its photos
    // and shots, its extra files, and each sub-folder, handed to enterSubfolder in name order
    // at its place among the files (so that extra files are met as a folder lists them).
    static void sortOut(std::vector<FolderEntry> entries, const QString &folder, const ScanRules &rules,
                        std::vector<FoundPhoto> &photos, QStringList &extras,
                        const std::function<void(const QString &name)> &enterSubfolder);
    // The upper-cased extension of a name without its dot; empty when it has none.
    static QString extensionOf(const QString &name);
    // The date key of a time in seconds since 1970.
    static QString dateKey(qint64 secondsSinceEpoch);

private:
    struct Entry;
    void scanFolder(const QString &folder);
    // Marks the entries of one folder that belong to a shot, and its key members.
    static void groupShots(std::vector<Entry> &entries);
    bool enterSubfolder(const QString &parent, const QString &name) const;

    ScanRules m_rules;
    std::vector<FoundPhoto> m_photos;
    QStringList m_extras;
    std::set<std::pair<unsigned long long, unsigned long long>> m_visited; // device, inode
    std::function<void()> m_progress;
};
