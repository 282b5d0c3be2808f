#pragma once
// A folder as a photo source: a card in a reader or any folder, through the file-system units.
// The search of a folder keeps its own scanner and volume history; this source answers the
// rest (reading, deleting, what it is) for the code that works on any source.
#include "core/files/volumeidentity.h"
#include "core/sources/photosource.h"

class FolderSource : public PhotoSource {
public:
    explicit FolderSource(QString folder, VolumeLocator volumes = VolumeLocator());

    Kind kind() const override { return Kind::Folder; }
    QString displayName() const override;
    QString root() const override { return m_root; }
    bool holds(const QString &photo) const override;
    std::optional<SourceHistoryKey> historyKey(const QString &folder) const override;
    DeviceResult<SourceListing> list(const QString &folder) override;
    DeviceResult<SourceFile> describe(const QString &photo) override;
    DeviceResult<QByteArray> readFile(const QString &photo) override;
    DeviceResult<QByteArray> thumbnail(const QString &photo) override;
    DeviceOutcome remove(const QString &photo) override;
    bool gone() const override;
    void release() override {}

private:
    QString m_root; // with its trailing "/"
    VolumeLocator m_volumes;
};
