#pragma once
// A camera or phone as a photo source, through one DeviceSession held for the source's life.
// Its photos are named by their addresses: the device by the port it was opened on, then the
// file's path on the device.
#include "core/devices/devicesession.h"
#include "core/sources/photosource.h"

#include <QHash>
#include <QMutex>

#include <atomic>

class DeviceSource : public PhotoSource {
public:
    // `start` is the address asked for (its path is the folder the search starts from).
    DeviceSource(std::unique_ptr<DeviceSession> session, const DeviceUri &start);

    Kind kind() const override { return Kind::Device; }
    QString displayName() const override;
    QString root() const override;
    bool holds(const QString &photo) const override;
    // The device's identity number (its serial, else its model and port) and the folder's path
    // on the device: the same camera keeps its history on every port.
    std::optional<SourceHistoryKey> historyKey(const QString &folder) const override;
    DeviceResult<SourceListing> list(const QString &folder) override;
    DeviceResult<SourceFile> describe(const QString &photo) override;
    DeviceResult<QByteArray> readFile(const QString &photo) override;
    DeviceResult<QByteArray> thumbnail(const QString &photo) override;
    DeviceOutcome remove(const QString &photo) override;
    bool gone() const override { return m_gone; }
    void release() override;

    const DeviceIdentity &identity() const { return m_session->identity(); }
    DeviceSession &session() { return *m_session; }

    // "Appareil : <model>": how the windows name a device.
    static QString displayNameOf(const QString &model);

private:
    // The path on the device of one of this source's addresses; empty when it is another's.
    QString devicePath(const QString &text) const;
    template <typename Result>
    Result noted(Result result);

    std::unique_ptr<DeviceSession> m_session;
    QString m_startPath;
    std::atomic<bool> m_gone{false};
    QMutex m_filesLock;
    QHash<QString, SourceFile> m_files; // what the listings said, by path on the device
    // The last files read, newest last: the preview and the transfer of the photo shown
    // (photo by photo) read the device once. Shared bytes, no copies.
    static constexpr int RecentReads = 3;
    QList<QPair<QString, QByteArray>> m_recent;
};
