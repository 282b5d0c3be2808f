#pragma once
// Whether a newer version of the program is published: the version file is downloaded from the
// web, written to "VersionLMR.txt", read, and its version compared with the program's own.
//
// The download is bounded: it fails after VersionCheck::DefaultTimeoutMs without progress,
// beyond MaxFileSize bytes, on an HTTP error status and on a redirect to another scheme. The
// address it gives for the new version is offered only when it is an absolute http or https
// address; anything else (a file: URL, a program path, plain text) makes the check fail.
#include <QString>
#include <QStringList>
#include <QUrl>

// The program's own version, four whole numbers ("1.0.0.0"), from the build.
QString ProgramVersion();

// The program's version strings in the order the old version resource gave them: the file
// version first (the one the check compares), then the product name and version.
QStringList ReadVersionInfo();

// True when latest is strictly greater than own. Each must be exactly four whole numbers
// separated by points; they are weighed as a × 1000000 + b × 10000 + c × 100 + d, so that
// 2.10.0.0 is newer than 2.9.0.0 and 2.5.0.100 equals 2.5.1.0. Anything else (three numbers,
// letters, an empty text, a number too long to weigh) is never newer.
bool IsNewerVersion(const QString &latest, const QString &own);

namespace VersionCheck {

constexpr int DefaultTimeoutMs = 30000;
constexpr qint64 MaxFileSize = 64 * 1024;
// The longest version text shown to the user.
constexpr int MaxShownVersionLength = 40;

// The program's web site, named in the new-version question.
QString siteAddress();
// The version file's address: LUMARO_VERSION_URL when set, else the site's /versions.txt.
QString versionFileAddress();

// What a version file says for the title: its sections CurrentVersions and DownloadURL, names
// compared without regard to case; empty texts where a key is missing.
struct VersionFile {
    QString latest;
    QString downloadAddress;
};
VersionFile readVersionFile(const QString &path, const QString &title = QStringLiteral("Lumaro"));

// Only an absolute http or https address with a host may be handed to a browser.
bool isWebAddress(const QString &address);
// The version text as it may be shown: at most MaxShownVersionLength characters.
QString shownVersion(const QString &version);

struct Result {
    enum class Outcome {
        Failed,   // not downloaded, not written, or no address that can be opened
        UpToDate, // the published version is not newer (also when the file says nothing)
        Newer,    // a newer version; downloadAddress is a web address
    };
    // Why it failed, for the message the user gets: each asks something else of them.
    enum class Failure {
        None,
        NotDownloaded,  // no answer, an error answer, or no address to ask
        NotWritten,     // the version file could not be written where it goes
        InvalidAddress, // a newer version is published, but not at a web address
    };
    Outcome outcome = Outcome::Failed;
    Failure reason = Failure::None;
    QString latest;
    QString downloadAddress;
    QString failure; // why it failed, for logs and the command line
};

// Downloads address into versionFile (written through the program's safe write, its folder
// created) and compares. Blocks the caller, running a local event loop: the caller keeps its
// windows from taking input meanwhile. Needs a QCoreApplication.
Result check(const QUrl &address, const QString &versionFile, int timeoutMs = DefaultTimeoutMs);

} // namespace VersionCheck
