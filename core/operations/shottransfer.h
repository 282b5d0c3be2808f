#pragma once
// The transfer of one shot (a photo, or the files of one name: IMG_0001.JPG, IMG_0001.CR2,
// IMG_0001.XMP) in two halves, so that the slow half can run ahead on other threads while
// the photos before it are finished:
// - write() puts every member in place, each written under a temporary name beside its final
//   one (flushed, read back past the page cache and compared when the sources are to be
//   deleted) and renamed, and makes the low-quality copy. It touches no window and no source,
//   and may run on any thread.
// - finish(), on the caller's thread and in the photos' order, writes the low-quality copy and
//   the EXIF text, deletes the sources and tells what failed.
// Written and finished at once, it is exactly the transfer of one photo: the same steps, the
// same messages, the same files left after a failure. A shot written ahead that is not to be
// finished after all is taken back (takeBack()): the members it put in place, its temporary
// files and the folders it made go; its sources were never touched.
//
// The members are read from their files, or from their bytes read into memory beforehand (a
// camera's files, each read once); the sources are then deleted on the camera.
#include "core/devices/deviceresult.h"
#include "core/files/safecopy.h"
#include "core/operations/lowqualitycopy.h"
#include "core/operations/photooperations.h"
#include "core/settings/paramappli.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include <sys/types.h>

#include <time.h>

class PhotoSource;
class TListeInformationExif;
class UserInterface;

// A file of a camera or phone, read once into memory.
struct SourcePhoto {
    QString source;              // the file's address
    QByteArray content;          // the whole file as the source gave it
    struct timespec modified {}; // the file's time on the source
};

struct ShotResult {
    bool written = false;   // every step succeeded
    DeviceOutcome deletion; // a camera's answer to the deletion; Ok when done or not asked
};

class ShotTransfer {
public:
    // members: the shot's sources, key member first (ShotMembers::membersOf); destination:
    // the key member's new path, every other member going to the same name with its own
    // extension (memberDestination). contents: empty for files, else the bytes of every
    // member in the same order. exif (the key member's list) must outlive the transfer.
    ShotTransfer(const TParamAppli &settings, QStringList members, QString destinationRoot, QString destination,
                 int angle, const TListeInformationExif &exif, bool exportExif, bool lowQuality,
                 SafeCopy::Hooks copyHooks = {}, PreparedTransfer prepared = {}, QList<SourcePhoto> contents = {});
    ~ShotTransfer();
    ShotTransfer(const ShotTransfer &) = delete;
    ShotTransfer &operator=(const ShotTransfer &) = delete;

    // Puts the members in place, in member order; a failure stops there and is kept for
    // finish(). Call once.
    void write();
    // Whether write() met a failure: finish() will report it and keep the sources.
    bool failed() const { return !m_failure.isEmpty(); }
    // Then the low-quality copy, the EXIF text, and the deletion of the sources (on `device`
    // for a camera's files, when given). On the first failing step the rest is skipped, the
    // information box shows "Erreur pendant le transfert de la photo : " + line break + the
    // error's message, and written is false. Call once, after write().
    ShotResult finish(UserInterface &ui, PhotoSource *device = nullptr);
    // finish() but the deletion, which the caller asks of deleteShotOnDevice() in its own
    // time (a batch hands a camera's deletions to a thread of their own); true when every step
    // succeeded.
    bool finishKeepingSources(UserInterface &ui);
    // Instead of finish(): removes what write() put in place, and the folders it made once
    // they are empty. Shots written at once may share a folder that one of them made: with
    // foldersMade, its folders are added there for the caller to remove once every shot it
    // takes back is gone.
    void takeBack(QStringList *foldersMade = nullptr);

    // The final path of every member, key first.
    const QStringList &destinations() const { return m_destinations; }

private:
    QString lowQualityPath() const;
    void check() const;
    SafeCopy::StagedFile writeMember(qsizetype index, QString *turnFailure);
    LowQualityCopy makeLowQualityCopy() const;
    // The low-quality copy and the EXIF text, once the members have their names.
    void writeCompanions();
    bool sameAsRead(const QString &path) const;
    bool sameAsWritten(const QString &path) const;

    TParamAppli m_settings;
    QStringList m_members;
    QString m_root;
    QStringList m_destinations;
    int m_angle;
    const TListeInformationExif &m_exif;
    bool m_exportExif;
    bool m_withLowQuality;
    SafeCopy::Hooks m_hooks;
    PreparedTransfer m_prepared;
    QList<SourcePhoto> m_contents;

    struct Placed {
        QString path;
        dev_t device;
        ino_t inode;
    };
    std::vector<Placed> m_placed;               // the members put in place, in member order
    std::optional<LowQualityCopy> m_lowQuality; // made by write() when none was made ahead
    QString m_failure;                          // the first failure, reported by finish()
    QStringList m_createdFolders;
};

// Copy, turn, low-quality copy, EXIF text file, then deletion of the source when SupprimerPhoto
// is on. destinationRoot is the folder the user chose for the transfer: a photo, low-quality
// or EXIF-text path that leaves it is refused before anything is written. The low-quality copy
// and the EXIF text never replace the source, the photo just copied or each other: such a step
// fails with its usual message. On the first failing step the rest is skipped, the information
// box shows "Erreur pendant le transfert de la photo : " + line break + the error's message,
// and the result is false; files written by earlier steps stay and the source is kept. A failed
// deletion is not reported (it is logged in "lumaro.core").
// `copyHooks` lets tests damage the copy before it is read back. Work already done from the
// source (on another thread, ahead of time) is written as it is; a low-quality copy not made
// ahead is made on a thread of its own while the photo is copied and turned.
bool TransfererPhoto(const TParamAppli &settings, UserInterface &ui, const QString &source,
                     const QString &destinationRoot, const QString &destination, int angle,
                     const TListeInformationExif &exif, bool exportExif, bool lowQuality,
                     const SafeCopy::Hooks &copyHooks = {}, const PreparedTransfer &prepared = {});

// A shot written and finished at once: every member is written in turn, in one verified write
// when the sources are to be deleted; a JPEG member is turned by angle, every other file is
// copied byte for byte and never rewritten. The low-quality copy (named from the shot's name
// with ".JPG") is made from the key member: a JPEG as TransfererPhoto does, a HEIF's image or a
// RAW's preview read upright through the reader, none for a video. The EXIF text file, exif
// (the key member's list), is named from the shot's name with ".txt". The sources of every
// member are deleted only when every step succeeded: a member that fails keeps the whole shot
// where it is, with the message of its step. One member is exactly TransfererPhoto.
bool transferShot(const TParamAppli &settings, UserInterface &ui, const QStringList &members,
                  const QString &destinationRoot, const QString &destination, int angle,
                  const TListeInformationExif &exif, bool exportExif, bool lowQuality,
                  const SafeCopy::Hooks &copyHooks = {}, const PreparedTransfer &prepared = {});

// Deletes a shot's files on the camera that gave them, in member order, stopping at the first
// the camera does not delete (a refusal worded by deletionRefusedMessage()).
DeviceOutcome deleteShotOnDevice(PhotoSource &device, const QStringList &members);

// The bytes of a camera's JPEG turned without loss by angle (90, 180 or 270) in memory; empty
// when they cannot be turned (the turn is then reported by the transfer).
QByteArray turnedContent(const QByteArray &content, int angle);

// The message shown once when a device will not delete the photos it gave.
QString deletionRefusedMessage();
