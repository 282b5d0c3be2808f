#pragma once
// Walks a folder of any photo source (a camera's, a phone's) with the rules of PhotoScanner:
// the same photos, extra files, skipped folders and order, the date keys from the times the
// source gives for its files (a device lists them without sending the files).
#include "core/discovery/photoscanner.h"
#include "core/sources/photosource.h"

class SourceScanner {
public:
    SourceScanner(PhotoSource &source, ScanRules rules);

    // Lists the folder (a string of the source, ending with "/"). A folder that cannot be
    // listed adds nothing; outcome() tells whether the source went away meanwhile.
    void scan(const QString &folder, const std::function<void()> &progress = {});

    std::vector<FoundPhoto> sortedPhotos() const;
    const QStringList &extraFiles() const { return m_extras; }
    // The first failure met (Gone when the source went away); Ok otherwise.
    const DeviceOutcome &outcome() const { return m_outcome; }

    // PhotoScanner's order: date key, then path ignoring letter case, then exactly; no
    // duplicates.
    static void sort(std::vector<FoundPhoto> &photos);

private:
    void scanFolder(const QString &folder, int depth);

    PhotoSource &m_source;
    ScanRules m_rules;
    std::vector<FoundPhoto> m_photos;
    QStringList m_extras;
    DeviceOutcome m_outcome;
    std::function<void()> m_progress;
};
