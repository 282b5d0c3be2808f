#pragma once
// Shared by the tests: a user interface that records what the core says and answers its
// questions, and a per-test environment that keeps the real home folder out of reach.
#include "core/userinterface.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>

#include <sys/resource.h>
#include <sys/types.h>

class RecordingUserInterface : public UserInterface {
public:
    struct Wait {
        QString title, text;
        bool open = true;
    };

    QStringList errors, information, confirmations;
    std::deque<bool> answers; // answers to the next questions; refuse when empty
    std::vector<Wait> waits;

    void showError(const QString &text) override { errors << text; }
    void showInformation(const QString &text) override { information << text; }
    bool askConfirmation(const QString &text) override
    {
        confirmations << text;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int openWait(const QString &title, const QString &text) override
    {
        waits.push_back({title, text, true});
        return int(waits.size()) - 1;
    }
    void setWaitText(int handle, const QString &title, const QString &text) override
    {
        waits.at(size_t(handle)).title = title;
        waits.at(size_t(handle)).text = text;
    }
    void closeWait(int handle) noexcept override
    {
        if (handle >= 0 && size_t(handle) < waits.size())
            waits[size_t(handle)].open = false;
    }
    bool anyWaitOpen() const
    {
        for (const Wait &w : waits)
            if (w.open)
                return true;
        return false;
    }
};

namespace TestSupport {
// French locale, Paris time, and HOME / XDG_CONFIG_HOME pointed into a temporary folder.
// Call first in initTestCase().
void isolateEnvironment();
// The lumaro-cli program of this build.
QString cliPath();
// Runs lumaro-cli with the arguments; returns the exit code, fills standard output and error.
int runCli(const QStringList &arguments, QString *out = nullptr, QString *err = nullptr, int timeoutMs = 120000);
// What lumaro-cli printed, byte for byte, and how it ended (-1 when it did not end by itself).
struct CliRun {
    int exitCode = -1;
    QByteArray out, err;
};
// Runs lumaro-cli with the arguments and these variables added to the environment.
CliRun runCliRaw(const QStringList &arguments, const QList<QPair<QString, QString>> &environment = {},
                 int timeoutMs = 120000);
// Runs a program; true when it ran and ended with exit code 0. Its standard output in *out.
// Use as QVERIFY(runProgram(...)).
[[nodiscard]] bool runProgram(const QString &program, const QStringList &arguments, QByteArray *out = nullptr);

// mkfs.vfat of dosfstools, for card images; empty when it is not installed.
QString findMkfsVfat();
// A FAT card image of 1 MiB with the volume serial "1234-ABCD"; false when it cannot be made.
[[nodiscard]] bool makeCardImage(const QString &path);
// A mount table (the form of /proc/self/mountinfo) in which the folder mountPoint holds the
// FAT file system of the image: the seam by which VolumeLocator sees a card mounted anywhere.
QByteArray mountTable(const QString &mountPoint, const QString &image);

// A FAT file system served by fusefat on mountPoint for the time of a scope, as a desktop
// mounts a card or a stick it has no kernel driver for: a new image of that size (truncate,
// then mkfs.vfat with the serial "1234-ABCD"), or without a size the existing image again.
class FatVolume {
public:
    FatVolume(const QString &image, const QString &mountPoint, const QString &size = QString());
    ~FatVolume();
    FatVolume(const FatVolume &) = delete;
    FatVolume &operator=(const FatVolume &) = delete;
    bool mounted() const { return m_mounted; }

private:
    QString m_mountPoint;
    bool m_mounted = false;
};

// Removes a folder and everything in it, names that are not UTF-8 included (which
// QTemporaryDir leaves behind).
void removeTree(const QString &path);

// The whole file; empty when it cannot be read.
QByteArray readFile(const QString &path);
// Creates or replaces the file (its folders made when missing); false on any failure.
// Use as QVERIFY(writeFile(...)).
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);
// The permission bits of a file (mode & 07777); -1 when it does not exist.
int fileMode(const QString &path);
// The last-write time in whole seconds since 1970; -1 when the file does not exist.
qint64 modificationSeconds(const QString &path);

// The largest file this process may write, for the time of one scope: a write beyond it fails
// with EFBIG as a full disk would (SIGXFSZ is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    struct rlimit m_previous {};
};

// The process's umask, for the time of one scope.
class UmaskScope {
public:
    explicit UmaskScope(mode_t mask);
    ~UmaskScope();
    UmaskScope(const UmaskScope &) = delete;
    UmaskScope &operator=(const UmaskScope &) = delete;

private:
    mode_t m_previous;
};
} // namespace TestSupport
