#include "update/tmgetnewver.h"

#include "core/update/versioncheck.h"
#include "dialogs/messages.h"
#include "update/linkopener.h"

#include <QUrl>

TmGetNewVer::TmGetNewVer(QObject *parent)
    : QObject(parent)
    , URLCurrVerFile(VersionCheck::versionFileAddress())
    , SiteName(VersionCheck::siteAddress())
    , timeoutMs(VersionCheck::DefaultTimeoutMs)
{
}

QString TmGetNewVer::failureMessage(const VersionCheck::Result &result) const
{
    using Failure = VersionCheck::Result::Failure;
    switch (result.reason) {
    case Failure::NotWritten:
        return QStringLiteral("Impossible de vérifier la mise à jour de version !\r\nLe fichier ") + TempFile
               + QStringLiteral(" ne peut pas être écrit.");
    case Failure::InvalidAddress:
        return QStringLiteral("Une nouvelle version ") + VersionCheck::shownVersion(result.latest)
               + QStringLiteral(" de ce programme est annoncée,\r\nmais l'adresse de la nouvelle version est "
                                "invalide.\r\nVous la trouverez sur le site : ")
               + SiteName;
    case Failure::None:
    case Failure::NotDownloaded:
        break;
    }
    return QStringLiteral("Impossible de vérifier la mise à jour de version !\r\n"
                          "Il faut être connecté à internet pour vérifier les mises à jour !");
}

void TmGetNewVer::CheckVersion()
{
    if (m_running)
        return;
    m_running = true;
    emit runningChanged(true);
    const VersionCheck::Result result = VersionCheck::check(QUrl(URLCurrVerFile), TempFile, timeoutMs);
    m_running = false;
    emit runningChanged(false);

    switch (result.outcome) {
    case VersionCheck::Result::Outcome::Failed:
        if (FailureDlg)
            warningMessage(failureMessage(result), false);
        break;
    case VersionCheck::Result::Outcome::Newer:
        if (DownloadDlg
            && MessageConfirmation(QStringLiteral("Une nouvelle version ") + VersionCheck::shownVersion(result.latest)
                                       + QStringLiteral(" de ce programme\r\nest disponible à l'adresse suivante : ")
                                       + SiteName
                                       + QStringLiteral("\r\nVoulez vous avoir plus d'informations concernant cette "
                                                        "mise à jour ?"),
                                   false))
            LinkOpener::open(QUrl(result.downloadAddress));
        break;
    case VersionCheck::Result::Outcome::UpToDate:
        if (AucuneVersionDlg)
            MessageInformation(QStringLiteral("La vérification est terminée. Votre version est à jour."), false);
        break;
    }
}
