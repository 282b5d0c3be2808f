#include "core/update/versioncheck.h"

#include "core/files/filereplacement.h"
#include "core/files/filesystem.h"
#include "core/settings/profilefile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <array>
#include <optional>

#ifndef LUMARO_VERSION
#error "LUMARO_VERSION comes from the build"
#endif

namespace {

using Pieces = std::array<qint64, 4>;

bool isWebAddressUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && !url.host().isEmpty();
}

// Nine digits at most: weighed by a million, the value stays far inside 64 bits.
constexpr int MaxPieceDigits = 9;

std::optional<Pieces> versionPieces(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    Pieces pieces{};
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty() || part.size() > MaxPieceDigits)
            return std::nullopt;
        qint64 value = 0;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            value = value * 10 + (c.unicode() - u'0');
        }
        pieces[std::size_t(i)] = value;
    }
    return pieces;
}

qint64 weight(const Pieces &p)
{
    return p[0] * 1000000 + p[1] * 10000 + p[2] * 100 + p[3];
}

VersionCheck::Result failed(VersionCheck::Result::Failure reason, const QString &why)
{
    VersionCheck::Result result;
    result.reason = reason;
    result.failure = why;
    return result;
}

// The answer's bytes, or the reason it has none.
struct Download {
    QByteArray bytes;
    QString failure;
};

Download download(const QUrl &address, int timeoutMs)
{
    if (!isWebAddressUrl(address))
        return {{}, QStringLiteral("adresse du fichier de version invalide : ") + address.toString()};
    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setTransferTimeout(timeoutMs);
    // Redirects are followed only within the scheme asked for: an https check never ends in
    // plain http, a file or anything else.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply *reply = manager.get(request);
    QString failure;
    QObject::connect(reply, &QNetworkReply::redirected, reply, [&, reply](const QUrl &target) {
        if (target.scheme().compare(address.scheme(), Qt::CaseInsensitive) == 0) {
            emit reply->redirectAllowed();
        } else {
            failure = QStringLiteral("redirection refusée vers ") + target.toString();
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&, reply](qint64 received, qint64 total) {
        if (received > VersionCheck::MaxFileSize || total > VersionCheck::MaxFileSize) {
            failure = QStringLiteral("fichier de version trop grand");
            reply->abort();
        }
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();

    Download result;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!failure.isEmpty())
        result.failure = failure;
    else if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
        result.failure = QStringLiteral("pas de réponse du serveur");
    else if (reply->error() != QNetworkReply::NoError)
        result.failure = reply->errorString();
    else if (status < 200 || status > 299)
        result.failure = QStringLiteral("réponse HTTP %1").arg(status);
    else {
        result.bytes = reply->read(VersionCheck::MaxFileSize + 1);
        if (result.bytes.size() > VersionCheck::MaxFileSize) {
            result.bytes.clear();
            result.failure = QStringLiteral("fichier de version trop grand");
        }
    }
    delete reply;
    return result;
}

} // namespace

QString ProgramVersion()
{
    return QStringLiteral(LUMARO_VERSION);
}

QStringList ReadVersionInfo()
{
    return {ProgramVersion(), QStringLiteral("Lumaro"), ProgramVersion()};
}

bool IsNewerVersion(const QString &latest, const QString &own)
{
    const std::optional<Pieces> a = versionPieces(latest);
    const std::optional<Pieces> b = versionPieces(own);
    return a && b && weight(*b) < weight(*a);
}

namespace VersionCheck {

QString siteAddress()
{
    return QStringLiteral("https://lumaro.example/");
}

QString versionFileAddress()
{
    const QString overridden = qEnvironmentVariable("LUMARO_VERSION_URL");
    return overridden.isEmpty() ? siteAddress() + QStringLiteral("versions.txt") : overridden;
}

VersionFile readVersionFile(const QString &path, const QString &title)
{
    const ProfileFile file(path);
    return {file.readString(QStringLiteral("CurrentVersions"), title, QString()),
            file.readString(QStringLiteral("DownloadURL"), title, QString())};
}

bool isWebAddress(const QString &address)
{
    return isWebAddressUrl(QUrl(address.trimmed(), QUrl::StrictMode));
}

QString shownVersion(const QString &version)
{
    return version.left(MaxShownVersionLength);
}

Result check(const QUrl &address, const QString &versionFile, int timeoutMs)
{
    const Download downloaded = download(address, timeoutMs);
    if (!downloaded.failure.isEmpty())
        return failed(Result::Failure::NotDownloaded, downloaded.failure);
    const QString folder = FileSystem::folderOf(versionFile);
    if (!folder.isEmpty())
        FileSystem::makeFolders(folder);
    if (!FileReplacement::writeWhole(versionFile, downloaded.bytes))
        return failed(Result::Failure::NotWritten, QStringLiteral("impossible d'écrire ") + versionFile);

    const VersionFile published = readVersionFile(versionFile);
    Result result;
    result.latest = published.latest;
    result.downloadAddress = published.downloadAddress.trimmed();
    if (!IsNewerVersion(published.latest, ReadVersionInfo().constFirst())) {
        result.outcome = Result::Outcome::UpToDate;
        return result;
    }
    if (!isWebAddress(result.downloadAddress)) {
        result.reason = Result::Failure::InvalidAddress;
        result.failure = QStringLiteral("adresse de la nouvelle version invalide");
        return result;
    }
    result.outcome = Result::Outcome::Newer;
    return result;
}

} // namespace VersionCheck
