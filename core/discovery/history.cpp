#include "core/discovery/history.h"

#include "core/corelog.h"
#include "core/error.h"
#include "core/files/filename.h"
#include "core/files/filereplacement.h"
#include "core/files/filesystem.h"
#include "core/files/textfile.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>

namespace History {

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
    if (FileName::encode(name).size() <= MaxNameBytes)
        return name;
    // Cut on a character boundary, then tell folders with the same beginning apart by a digest.
    QString head = name.left(name.size() - 4);
    while (FileName::encode(head).size() > KeptNameBytes)
        head.chop(1);
    const QByteArray digest = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return head + u'-' + QString::fromLatin1(digest) + QStringLiteral(".txt");
}

std::optional<QString> filePath(const QString &settingsFolder, const QString &folder, const VolumeLocator &volumes)
{
    const std::optional<VolumeLocation> location = volumes.locate(folder);
    if (!location)
        return std::nullopt;
    return filePath(settingsFolder, *location);
}

QString filePath(const QString &settingsFolder, const VolumeLocation &location)
{
    return settingsFolder + QStringLiteral("Histo/") + fileName(location.serial, location.relativePath);
}

QStringList read(const QString &path)
{
    if (!FileSystem::exists(path))
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
    for (const QString &entry : entries) {
        if (!entry.contains(u'\n') && !entry.contains(u'\r'))
            lines.append(entry);
        else
            qCInfo(lumaroCore) << "history: a name holding a line break is left out:" << entry;
    }
    const bool written = FileSystem::makeFolders(FileSystem::folderOf(FileSystem::absolutePath(path)))
                         && FileReplacement::writeWhole(path, TextFile::joinCrlf(lines));
    if (!written)
        throw LumaroError(QStringLiteral("Impossible d'écrire dans %1").arg(path));
}

void removeKnownPhotos(QStringList &entries, const QStringList &previous, const QString &root,
                       const QString &relativeFolder)
{
    constexpr qsizetype KeyLength = 14;
    const QString below = relativeFolder.endsWith(u'/') ? relativeFolder : relativeFolder + u'/';
    // Each entry as its date key and its path below the mount point.
    QSet<QString> entriesBelow;
    const auto belowMount = [&](const QString &entry) {
        const QString path = entry.mid(KeyLength);
        if (!path.startsWith(root))
            return entry.toCaseFolded();
        return (entry.left(KeyLength) + below + path.mid(root.size())).toCaseFolded();
    };
    entriesBelow.reserve(entries.size());
    for (const QString &entry : std::as_const(entries))
        entriesBelow.insert(belowMount(entry));

    // The former mount point: the start of the lines that, cut there, name a photo found now.
    // Only a "/" can end it; the most frequent one wins, so that a photo of another folder
    // with the same name and date does not make a line match by chance.
    QHash<QString, int> votes;
    for (const QString &line : previous) {
        const QString path = line.mid(KeyLength);
        for (qsizetype slash = path.indexOf(u'/'); slash >= 0; slash = path.indexOf(u'/', slash + 1)) {
            if (entriesBelow.contains((line.left(KeyLength) + path.mid(slash)).toCaseFolded()))
                ++votes[path.left(slash)];
        }
    }
    QString formerMount;
    int best = 0;
    for (auto it = votes.cbegin(); it != votes.cend(); ++it) {
        if (it.value() > best || (it.value() == best && it.key() < formerMount)) {
            best = it.value();
            formerMount = it.key();
        }
    }

    QSet<QString> known;
    known.reserve(previous.size() * 2);
    for (const QString &line : previous) {
        known.insert(line.toCaseFolded());
        const QString path = line.mid(KeyLength);
        if (best > 0 && path.startsWith(formerMount) && path.mid(formerMount.size()).startsWith(u'/'))
            known.insert((line.left(KeyLength) + path.mid(formerMount.size())).toCaseFolded());
    }
    entries.removeIf([&](const QString &entry) {
        return known.contains(entry.toCaseFolded()) || known.contains(belowMount(entry));
    });
}

} // namespace Historique
