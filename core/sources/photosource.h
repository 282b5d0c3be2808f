#pragma once
// Where the photos of a transfer come from: a folder (a card in a reader, or any folder) or a
// camera or phone (libgphoto2). The search, the history and the transfers ask the source for
// what they need of it, so that a device is a source as good as a card.
//
// A photo is named by one string from the search to the transfer, whatever the kind: a folder's
// photo by its local path, a device's photo by its address (DeviceUri text, for instance
// "gphoto2://[usb:002,005]/store_00010001/DCIM/100CANON/IMG_0001.JPG"), so that the windows,
// the filter and the history keep handling strings.
//
// Threads: a device source may be called from several threads (its session serialises the
// calls); a folder source only reads and deletes files.
#include "core/devices/deviceresult.h"
#include "core/devices/devicesession.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct SourceFile {
    QString name;
    qint64 size = -1;   // in bytes; -1 when the source does not say
    QDateTime modified; // local time; invalid when the source does not say
};

struct SourceListing {
    QStringList folders; // names of the sub-folders
    QList<SourceFile> files;
};

// What names a source's history: a number standing for the card or the device, and the folder
// searched below the card's mount point or the device's root ("/" first and last).
struct SourceHistoryKey {
    quint32 serial = 0;
    QString relativeFolder;
};

class PhotoSource {
public:
    enum class Kind { Folder, Device };

    virtual ~PhotoSource() = default;

    virtual Kind kind() const = 0;
    bool isDevice() const { return kind() == Kind::Device; }
    // What the windows show: "Appareil : Canon EOS 80D", or the folder's path.
    virtual QString displayName() const = 0;
    // Where the search starts: the folder with its trailing "/", or the device's address of
    // its root or of the folder asked for (gphoto2://[PORT]/DCIM/).
    virtual QString root() const = 0;
    // Whether a photo string names a file of this source.
    virtual bool holds(const QString &photo) const = 0;

    // The history's name for a folder of this source (a string root() or below it); empty when
    // the source has no stable identity (a volume without serial).
    virtual std::optional<SourceHistoryKey> historyKey(const QString &folder) const = 0;

    // A folder's sub-folders and files. Gone when the source is not there any more.
    virtual DeviceResult<SourceListing> list(const QString &folder) = 0;
    // What the source says of one file (its size and time): NotFound when it has no such file.
    virtual DeviceResult<SourceFile> describe(const QString &photo) = 0;
    // The whole file.
    virtual DeviceResult<QByteArray> readFile(const QString &photo) = 0;
    // A small picture the source keeps of the file without reading it whole; an empty value with
    // status Ok when it has none.
    virtual DeviceResult<QByteArray> thumbnail(const QString &photo) = 0;
    // Deletes the file. DeletionRefused when the source will not, Gone when it went away.
    virtual DeviceOutcome remove(const QString &photo) = 0;
    // Whether the source went away (a card pulled out, a device unplugged).
    virtual bool gone() const = 0;
    // Hands the source back to the system at the end of a transfer (a device is released so
    // that the desktop can take it again). Safe to call twice.
    virtual void release() = 0;

    // "folder/name" in this source's photo strings.
    static QString childOf(const QString &folder, const QString &name);
};

struct SourceOpening {
    std::shared_ptr<PhotoSource> source; // null on failure
    QString message;                     // in French, when it failed
};

namespace PhotoSources {

// Whether a source text names a camera or phone rather than a folder.
bool isDeviceText(const QString &text);
// The source a text names: a folder path, a file:// address (percent-decoded to the path's
// bytes), a gphoto2:// or mtp:// address by port or by the device's name (the form in which
// the settings remember a device). A device is opened; a folder is taken as it is.
SourceOpening open(const QString &text);
// The same with the session's stall time and test hooks.
SourceOpening open(const QString &text, const DeviceSession::Options &options);
// The local path a file:// address names, or the text as it is when it is no address.
QString localPath(const QString &text);

} // namespace PhotoSources
