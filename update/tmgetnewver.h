#pragma once
// The new-version check as the About box runs it: downloads the version file, compares, and
// tells the user (a warning, the new-version question, or "à jour"), opening the download
// page when asked to.
#include "core/update/versioncheck.h"

#include <QObject>
#include <QString>

class TmGetNewVer : public QObject {
    Q_OBJECT
public:
    explicit TmGetNewVer(QObject *parent = nullptr);

    QString URLCurrVerFile;    // the version file's address
    QString SiteName;          // the site named in the new-version question
    bool FailureDlg = true;    // warn when the check cannot be made
    bool DownloadDlg = true;   // ask whether to open the download page
    bool AucuneVersionDlg = false; // say so when the version is up to date
    QString TempFile;          // where the version file is written
    int timeoutMs;             // without progress, the download gives up

    // Runs the whole check and reports to the user; returns when the user has answered.
    void CheckVersion();
    bool running() const { return m_running; }

signals:
    void runningChanged(bool running);

private:
    // What the user is told when the check fails, after why it failed.
    QString failureMessage(const VersionCheck::Result &result) const;

    bool m_running = false;
};
