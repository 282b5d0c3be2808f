#include "core/historique.h"

#include "core/error.h"
#include "core/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Historique {

namespace {
constexpr qsizetype MaxNameBytes = 255; // the longest file name of the usual Linux file systems
constexpr qsizetype KeptNameBytes = 200;
} // namespace

QString fileName(quint32 serial, const QString &relativePath)
{
    QString name = QString::number(serial) + u'-' + relativePath.trimmed() + QStringLiteral(".txt");
    name.remove(u' ');
    name.remove(u'/');
    name.remove(u'\\');
    if (QFile::encodeName(name).size() <= MaxNameBytes)
        return name;
    // Cut on a character boundary, then tell folders with the same beginning apart by a digest.
    QString head = name.left(name.size() - 4);
    while (QFile::encodeName(head).size() > KeptNameBytes)
        head.chop(1);
    const QByteArray digest = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return head + u'-' + QString::fromLatin1(digest) + QStringLiteral(".txt");
}

std::optional<QString> filePath(const QString &settingsFolder, const QString &folder, const VolumeLocator &volumes)
{
    const std::optional<VolumeLocation> location = volumes.locate(folder);
    if (!location)
        return std::nullopt;
    return settingsFolder + QStringLiteral("Histo/") + fileName(location->serial, location->relativePath);
}

QStringList read(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    QString text;
    if (!TextFile::read(path, text))
        throw LumaroError(QStringLiteral("Impossible de lire le fichier %1").arg(path));
    return TextFile::splitLines(text);
}

void write(const QString &path, const QStringList &entries)
{
    QStringList lines;
    lines.reserve(entries.size());
    for (const QString &entry : entries)
        if (!entry.contains(u'\n') && !entry.contains(u'\r'))
            lines.append(entry);
    const bool written = QDir().mkpath(QFileInfo(path).absolutePath()) && TextFile::writeAtomically(path, TextFile::joinCrlf(lines));
    if (!written)
        throw LumaroError(QStringLiteral("Impossible d'écrire dans %1").arg(path));
}

} // namespace Historique
