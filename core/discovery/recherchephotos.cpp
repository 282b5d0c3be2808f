#include "core/discovery/recherchephotos.h"

#include "core/corelog.h"
#include "core/exif/datetimevalue.h"
#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/discovery/filtrephoto.h"
#include "core/discovery/history.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/discovery/photoscanner.h"
#include "core/discovery/sourcescanner.h"
#include "core/sources/photosource.h"
#include "core/discovery/shotmembers.h"
#include "core/files/safecopy.h"
#include "core/userinterface.h"

#include <QDate>
#include <QSet>

namespace {

// The day of a date key, as a date value at midnight.
int keyDay(const QString &entry)
{
    const QDate day(entry.mid(0, 4).toInt(), entry.mid(4, 2).toInt(), entry.mid(6, 2).toInt());
    return DateValue::dayNumber(DateValue::fromDate(day));
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

// Where an extra file goes: a folder named after its extension, under a name no file takes yet.
QString extraFileTarget(const QString &base, const QString &file)
{
    const QString name = FileSystem::fileNameOf(file);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1);
    const QString folder = base + extension + u'/';
    if (!FileSystem::makeFolders(folder))
        qCInfo(lumaroCore) << "folder" << folder << "not created";
    QString target = folder + name;
    for (int n = 1; FileSystem::exists(target); ++n)
        target = folder + name + QStringLiteral(" - ") + QString::number(n);
    return target;
}

} // namespace

namespace {

ScanRules rulesOf(const TParamAppli &settings, bool withSubfolders)
{
    ScanRules rules;
    rules.withSubfolders = withSubfolders;
    rules.lowQualityFolder = settings.Repertoire;
    rules.ignoredFolder = settings.RepertoireAIgnorer;
    rules.extraExtensions = settings.ExtensionSupp;
    rules.allFormats = settings.AutresFormats;
    return rules;
}

// Where the history of the searched folder is kept, when its card or device is known.
struct HistoryPlace {
    QString file;
    QString relativeFolder; // the folder below the card's mount point or the device's root
};

// What a search found, once the history is rewritten and the filter applied: the photos it
// keeps (each shot's key member) and every member of the shots kept.
void keepFound(const std::vector<FoundPhoto> &found, const QString &root, const std::optional<HistoryPlace> &place,
               const TFiltrePhoto &filter, QStringList &photos, ShotMembers *shots)
{
    QStringList entries;
    // Every member of every shot, each under its own date key: what the history lists.
    QStringList memberEntries;
    bool companions = false;
    entries.reserve(qsizetype(found.size()));
    for (const FoundPhoto &photo : found) {
        entries.append(photo.entry());
        memberEntries.append(photo.entry());
        memberEntries.append(photo.companions);
        companions = companions || !photo.companions.isEmpty();
    }

    if (place) {
        const QStringList previous = History::read(place->file);
        History::write(place->file, memberEntries);
        if (filter.NouvellePhoto && !companions) {
            History::removeKnownPhotos(entries, previous, root, place->relativeFolder);
        } else if (filter.NouvellePhoto) {
            // A shot is new when any of its files is: a RAW added beside a known JPEG brings
            // the shot back.
            QStringList newMembers = memberEntries;
            History::removeKnownPhotos(newMembers, previous, root, place->relativeFolder);
            const QSet<QString> fresh(newMembers.cbegin(), newMembers.cend());
            QSet<QString> keptKeys;
            for (const FoundPhoto &photo : found) {
                bool isNew = fresh.contains(photo.entry());
                for (const QString &companion : photo.companions)
                    isNew = isNew || fresh.contains(companion);
                if (isNew)
                    keptKeys.insert(photo.entry());
            }
            entries.removeIf([&keptKeys](const QString &entry) { return !keptKeys.contains(entry); });
        }
    }
    applyNameFilter(entries, filter);
    applyDateFilter(entries, filter);

    photos.reserve(photos.size() + entries.size());
    for (const QString &entry : std::as_const(entries))
        photos.append(entry.mid(14));
    if (shots && companions) {
        for (const FoundPhoto &photo : found)
            if (!photo.companions.isEmpty())
                shots->add(photo.memberPaths());
    }
}

} // namespace

void RechercherPhotos(const QString &folder, bool withSubfolders, const TFiltrePhoto &filter, QStringList &extraFiles,
                      QStringList &photos, const TParamAppli &settings, UserInterface &ui, const VolumeLocator &volumes,
                      ShotMembers *shots)
{
    if (PhotoSources::isDeviceText(folder)) {
        const SourceOpening opening = PhotoSources::open(folder);
        if (!opening.source)
            throw LumaroError(opening.message);
        RechercherPhotos(*opening.source, folder, withSubfolders, filter, extraFiles, photos, settings, ui, shots);
        opening.source->release();
        return;
    }
    const QString root = Paths::withSeparator(folder);
    PhotoScanner scanner(rulesOf(settings, withSubfolders));
    {
        WaitScope wait(ui, QStringLiteral("Recherche des photos..."));
        scanner.scan(root, [&ui] { ui.processEvents(); });
    }
    extraFiles.append(scanner.extraFiles());
    std::optional<HistoryPlace> place;
    if (const std::optional<VolumeLocation> location = volumes.locate(root))
        place = HistoryPlace{History::filePath(settings.folder(), *location), location->relativePath};
    keepFound(scanner.sortedPhotos(), root, place, filter, photos, shots);
}

void RechercherPhotos(PhotoSource &source, const QString &folder, bool withSubfolders, const TFiltrePhoto &filter,
                      QStringList &extraFiles, QStringList &photos, const TParamAppli &settings, UserInterface &ui,
                      ShotMembers *shots)
{
    const QString root = folder.endsWith(u'/') ? folder : folder + u'/';
    SourceScanner scanner(source, rulesOf(settings, withSubfolders));
    {
        WaitScope wait(ui, QStringLiteral("Recherche des photos..."));
        scanner.scan(root, [&ui] { ui.processEvents(); });
    }
    // A device that went away leaves no history made of half its photos.
    if (scanner.outcome().status == DeviceStatus::Gone)
        throw LumaroError(scanner.outcome().message);
    extraFiles.append(scanner.extraFiles());
    std::optional<HistoryPlace> place;
    if (const std::optional<SourceHistoryKey> key = source.historyKey(root))
        place = HistoryPlace{History::filePath(settings.folder(), VolumeLocation{key->serial, QString(), key->relativeFolder}),
                             key->relativeFolder};
    keepFound(scanner.sortedPhotos(), root, place, filter, photos, shots);
}

QStringList EnregistrerExtensionsSupp(const QString &destination, const QStringList &extraFiles, UserInterface &ui)
{
    QStringList copies;
    WaitScope wait(ui, QStringLiteral("Veuillez patienter, enregistrement des extensions supplémenaires..."));
    const QString base = Paths::withSeparator(destination);
    for (const QString &file : extraFiles) {
        const QString target = extraFileTarget(base, file);
        // Like a photo: whole or not at all under its name, read back before it counts.
        try {
            SafeCopy::copyFile(file, target, SafeCopy::Mode::Verified);
            copies.append(target);
        } catch (const LumaroError &error) {
            qCInfo(lumaroCore) << "extra file not copied:" << error.message();
        }
        ui.processEvents();
    }
    return copies;
}

QStringList EnregistrerExtensionsSupp(const QString &destination, const QStringList &extraFiles, UserInterface &ui,
                                      PhotoSource &source)
{
    if (!source.isDevice())
        return EnregistrerExtensionsSupp(destination, extraFiles, ui);
    QStringList copies;
    WaitScope wait(ui, QStringLiteral("Veuillez patienter, enregistrement des extensions supplémenaires..."));
    const QString base = Paths::withSeparator(destination);
    for (const QString &file : extraFiles) {
        const QString target = extraFileTarget(base, file);
        const DeviceResult<QByteArray> bytes = source.readFile(file);
        const DeviceResult<SourceFile> described = source.describe(file);
        if (!bytes.ok()) {
            qCInfo(lumaroCore) << "extra file not read:" << bytes.message;
            if (bytes.status == DeviceStatus::Gone)
                break;
            continue;
        }
        const qint64 seconds = described.ok() && described.value.modified.isValid()
                                   ? described.value.modified.toSecsSinceEpoch()
                                   : QDateTime::currentSecsSinceEpoch();
        try {
            SafeCopy::writeContent(file, bytes.value, {time_t(seconds), 0}, target, SafeCopy::Mode::Verified);
            copies.append(target);
        } catch (const LumaroError &error) {
            qCInfo(lumaroCore) << "extra file not copied:" << error.message();
        }
        ui.processEvents();
    }
    return copies;
}
