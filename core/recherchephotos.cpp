#include "core/recherchephotos.h"

#include "core/datetimevalue.h"
#include "core/filtrephoto.h"
#include "core/historique.h"
#include "core/paramappli.h"
#include "core/paths.h"
#include "core/photoscanner.h"
#include "core/userinterface.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The day of a date key, as a date value at midnight.
int keyDay(const QString &entry)
{
    const QDate day(entry.mid(0, 4).toInt(), entry.mid(4, 2).toInt(), entry.mid(6, 2).toInt());
    return DateValue::dayNumber(DateValue::fromDate(day));
}

void removeKnownPhotos(QStringList &entries, const QStringList &previous)
{
    QSet<QString> known;
    known.reserve(previous.size());
    for (const QString &line : previous)
        known.insert(line.toCaseFolded());
    entries.removeIf([&known](const QString &entry) { return known.contains(entry.toCaseFolded()); });
}

void applyNameFilter(QStringList &entries, const TFiltrePhoto &filter)
{
    if (filter.FiltreNom.isEmpty())
        return;
    const QString text = filter.FiltreNom.toUpper();
    const bool keepMatches = filter.TypeFiltreNom == 0;
    entries.removeIf([&](const QString &entry) { return entry.toUpper().contains(text) != keepMatches; });
}

void applyDateFilter(QStringList &entries, const TFiltrePhoto &filter)
{
    if (DateValue::isNone(filter.FiltreDate))
        return;
    const int reference = DateValue::dayNumber(filter.FiltreDate);
    const bool sameDay = filter.TypeFiltreDate == 0;
    entries.removeIf([&](const QString &entry) {
        const int day = keyDay(entry);
        return sameDay ? day != reference : day <= reference;
    });
}

// Copies a file and gives the copy the source's times, as a copy on the old platform kept them.
bool copyKeepingTimes(const QString &source, const QString &target)
{
    if (!QFile::copy(source, target))
        return false;
    struct stat info {};
    if (stat(QFile::encodeName(source).constData(), &info) == 0) {
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        utimensat(AT_FDCWD, QFile::encodeName(target).constData(), times, 0);
    }
    return true;
}

bool nameTaken(const QString &path)
{
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

void RechercherPhotos(const QString &folder, bool withSubfolders, const TFiltrePhoto &filter, QStringList &extraFiles,
                      QStringList &photos, const TParamAppli &settings, UserInterface &ui, const VolumeLocator &volumes)
{
    const QString root = Paths::withSeparator(folder);
    ScanRules rules;
    rules.withSubfolders = withSubfolders;
    rules.lowQualityFolder = settings.Repertoire;
    rules.ignoredFolder = settings.RepertoireAIgnorer;
    rules.extraExtensions = settings.ExtensionSupp;
    PhotoScanner scanner(rules);
    {
        WaitScope wait(ui, QStringLiteral("Recherche des photos..."));
        scanner.scan(root, [&ui] { ui.processEvents(); });
    }

    QStringList entries;
    {
        const std::vector<FoundPhoto> found = scanner.sortedPhotos();
        entries.reserve(qsizetype(found.size()));
        for (const FoundPhoto &photo : found)
            entries.append(photo.entry());
    }
    extraFiles.append(scanner.extraFiles());

    if (const std::optional<QString> history = Historique::filePath(settings.folder(), root, volumes)) {
        const QStringList previous = Historique::read(*history);
        Historique::write(*history, entries);
        if (filter.NouvellePhoto)
            removeKnownPhotos(entries, previous);
    }
    applyNameFilter(entries, filter);
    applyDateFilter(entries, filter);

    photos.reserve(photos.size() + entries.size());
    for (const QString &entry : std::as_const(entries))
        photos.append(entry.mid(14));
}

QStringList EnregistrerExtensionsSupp(const QString &destination, const QStringList &extraFiles, UserInterface &ui)
{
    QStringList copies;
    WaitScope wait(ui, QStringLiteral("Veuillez patienter, enregistrement des extensions supplémenaires..."));
    const QString base = Paths::withSeparator(destination);
    for (const QString &file : extraFiles) {
        const QString name = QFileInfo(file).fileName();
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString extension = dot < 0 ? QString() : name.mid(dot + 1);
        const QString folder = base + extension + u'/';
        QDir().mkpath(folder);
        QString target = folder + name;
        for (int n = 1; nameTaken(target); ++n)
            target = folder + name + QStringLiteral(" - ") + QString::number(n);
        if (copyKeepingTimes(file, target))
            copies.append(target);
        ui.processEvents();
    }
    return copies;
}
