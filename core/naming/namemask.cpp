#include "core/naming/namemask.h"

#include "core/exif/exifdate.h"
#include "core/files/filesystem.h"
#include "core/files/paths.h"
#include "core/formats/filekind.h"
#include "core/settings/paramappli.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// Letters a to z compare without regard to case; every other character compares as it is.
char16_t foldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

qsizetype findTag(const QString &text, const QString &tag, qsizetype from)
{
    const qsizetype last = text.size() - tag.size();
    for (qsizetype i = from; i <= last; ++i) {
        qsizetype j = 0;
        while (j < tag.size() && foldAscii(text.at(i + j).unicode()) == foldAscii(tag.at(j).unicode()))
            ++j;
        if (j == tag.size())
            return i;
    }
    return -1;
}

QString replaceAll(const QString &text, const QString &tag, const QString &value)
{
    if (tag.isEmpty())
        return text;
    QString result;
    qsizetype from = 0;
    for (qsizetype at = findTag(text, tag, 0); at >= 0; at = findTag(text, tag, from)) {
        result += QStringView(text).mid(from, at - from);
        result += value;
        from = at + tag.size(); // the search goes on after the value: it is never searched again
    }
    result += QStringView(text).mid(from);
    return result;
}

// The width digit (1 to 9) right after the first occurrence of the tag, taken out of the text;
// 1 when there is none.
int takeWidth(QString &text, const QString &tag)
{
    const qsizetype at = findTag(text, tag, 0);
    if (at < 0)
        return 1;
    const qsizetype digit = at + tag.size();
    if (digit >= text.size() || text.at(digit) < u'1' || text.at(digit) > u'9')
        return 1;
    const int width = text.at(digit).unicode() - u'0';
    text.remove(digit, 1);
    return width;
}

QString padded(qint64 number, int width)
{
    const QString digits = QString::number(number < 0 ? -number : number).rightJustified(width, u'0');
    return number < 0 ? u'-' + digits : digits;
}

QString capitalised(QString name)
{
    // Only a to z: other first letters stay as the locale writes them.
    if (!name.isEmpty() && name.at(0) >= u'a' && name.at(0) <= u'z')
        name[0] = QChar(name.at(0).unicode() - u'a' + u'A');
    return name;
}

// Blanks and control characters off both ends.
QString trimmed(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString sourceName(const QString &photoPath)
{
    const QString name = FileSystem::fileNameOf(Paths::toSlashes(photoPath));
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 ? name.left(dot) : name;
}

// A name is free when nothing at all answers to it, not even a dangling link, and no photo in
// flight was promised it.
bool isTaken(const QString &path, const PromisedNames *promised)
{
    return FileSystem::exists(path) || (promised && promised->contains(path));
}

struct DateParts {
    QString hour, minute, second, year4, year2, monthLong, monthShort, month, dayLong, dayShort, day;
};

DateParts dateParts(double date, const QLocale &locale)
{
    // "No date" reads as the day before the epoch at midnight, as the value -1.0 stands for.
    const auto clock = ExifDate::split(date).value_or(ExifDate::WallClock{QDate(1899, 12, 29), QTime(0, 0)});
    const QDate &d = clock.date;
    const QTime &t = clock.time;
    auto two = [](int n) { return padded(n, 2); };
    return DateParts{two(t.hour()),
                     two(t.minute()),
                     two(t.second()),
                     padded(d.year(), 4),
                     two(d.year() % 100),
                     capitalised(locale.monthName(d.month(), QLocale::LongFormat)),
                     capitalised(locale.monthName(d.month(), QLocale::ShortFormat)),
                     two(d.month()),
                     capitalised(locale.dayName(d.dayOfWeek(), QLocale::LongFormat)),
                     capitalised(locale.dayName(d.dayOfWeek(), QLocale::ShortFormat)),
                     two(d.day())};
}

} // namespace

QString RemplacerTags(const QString &content, const QStringList &tags, const QStringList &values)
{
    QString result = content;
    const qsizetype n = std::min(tags.size(), values.size());
    for (qsizetype i = 0; i < n; ++i)
        result = replaceAll(result, tags.at(i), values.at(i));
    return result;
}

namespace {

// A name free for every one of the extensions.
bool isFree(const QString &withoutExtension, const QStringList &extensions, const PromisedNames *promised)
{
    return std::none_of(extensions.cbegin(), extensions.cend(), [&](const QString &extension) {
        return isTaken(withoutExtension + extension, promised);
    });
}

// A shot must not share its name with a file of another shot, whatever their kinds: photo
// editors, and the next search, would take files of one name for one shot (the HEIC of one
// photo beside the JPEG of another). Each folder is listed once for a name search.
class NamesOfShots {
public:
    explicit NamesOfShots(const PromisedNames *promised) : m_promised(promised) {}

    // Whether a photo, film or sidecar file has this name before its extension, on the disk
    // or promised (letter case aside: on a card's file system both are one name).
    bool nameTaken(const QString &withoutExtension)
    {
        const QString folder = FileSystem::folderOf(withoutExtension);
        auto names = m_namesByFolder.constFind(folder);
        if (names == m_namesByFolder.constEnd())
            names = m_namesByFolder.insert(folder, namesIn(folder));
        if (names->contains(FileSystem::fileNameOf(withoutExtension).toCaseFolded()))
            return true;
        if (!m_promised || m_promised->isEmpty())
            return false;
        for (const FileKind kind : {FileKind::Jpeg, FileKind::Raw, FileKind::Heif, FileKind::Video, FileKind::Sidecar})
            for (const QString &extension : extensionsOf(kind))
                if (m_promised->contains(withoutExtension + u'.' + extension))
                    return true;
        return false;
    }

private:
    static QSet<QString> namesIn(const QString &folder)
    {
        QSet<QString> names;
        for (const QString &entry : FileSystem::folderEntries(folder.isEmpty() ? QStringLiteral(".") : folder)) {
            const qsizetype dot = entry.lastIndexOf(u'.');
            if (dot > 0 && fileKindOf(entry) != FileKind::Other)
                names.insert(entry.left(dot).toCaseFolded());
        }
        return names;
    }

    const PromisedNames *m_promised;
    QHash<QString, QSet<QString>> m_namesByFolder;
};

// The masks expanded for one photo or shot: the free path without its extension, free for
// every one of the extensions.
QString expandedName(const TParamAppli &settings, const QString &theme, const QString &photoPath,
                     const QString &destination, double date, bool lowQuality, int counter,
                     const QLocale &locale, const QStringList &extensions, const PromisedNames *promised,
                     NamesOfShots *shots = nullptr)
{
    const auto nameIsFree = [&](const QString &candidate) {
        return isFree(candidate, extensions, promised) && !(shots && shots->nameTaken(candidate));
    };

    // 1. The counter width.
    QString mask = settings.MasqueNomPhoto;
    const int counterWidth = takeWidth(mask, QStringLiteral("#CPT"));

    // 2. The name.
    const DateParts p = dateParts(date, locale);
    static const QStringList nameTags = {
        QStringLiteral("#HH"),  QStringLiteral("#MI"),  QStringLiteral("#SS"),    QStringLiteral("#AAAA"),
        QStringLiteral("#AA"),  QStringLiteral("#MMM"), QStringLiteral("#MM"),    QStringLiteral("#M"),
        QStringLiteral("#JJJ"), QStringLiteral("#JJ"),  QStringLiteral("#J"),     QStringLiteral("#THEME"),
        QStringLiteral("#ORIG"), QStringLiteral("#CPT")};
    const QStringList nameValues = {p.hour,    p.minute,  p.second, p.year4, p.year2,
                                    p.monthLong, p.monthShort, p.month, p.dayLong, p.dayShort,
                                    p.day,     theme,     sourceName(photoPath), padded(counter, counterWidth)};
    QString name = Paths::toSlashes(RemplacerTags(mask, nameTags, nameValues));

    // 3. The folder part.
    QString folder;
    if (settings.RepertoireSpecif) {
        static const QStringList folderTags = {
            QStringLiteral("#AAAA"), QStringLiteral("#AA"),  QStringLiteral("#MMM"),
            QStringLiteral("#MM"),   QStringLiteral("#M"),   QStringLiteral("#JJJ"),
            QStringLiteral("#JJ"),   QStringLiteral("#J"),   QStringLiteral("#THEME")};
        const QStringList folderValues = {p.year4,   p.year2,    p.monthLong, p.monthShort, p.month,
                                          p.dayLong, p.dayShort, p.day,       theme};
        folder = RemplacerTags(settings.MasqueRepertoire, folderTags, folderValues);
        if (!folder.isEmpty())
            folder += u'/';
        folder = Paths::toSlashes(trimmed(folder));
    }

    // 4. The low-quality sub-folder and suffix.
    QString lowFolder;
    QString suffix;
    if (lowQuality) {
        lowFolder = Paths::toSlashes(Paths::withSeparator(settings.Repertoire));
        suffix = u' ' + settings.Suffixe;
    }

    const QString root = destination.isEmpty() ? destination : Paths::withSeparator(destination);
    const QString start = root + folder + lowFolder;

    // 5. The photo number: the smallest that gives a free name.
    const QString numberTag = QStringLiteral("#N");
    if (findTag(name, numberTag, 0) >= 0) {
        const int numberWidth = takeWidth(name, numberTag);
        for (qint64 k = 1;; ++k) {
            const QString candidate = start + replaceAll(name, numberTag, padded(k, numberWidth)) + suffix;
            if (nameIsFree(candidate))
                return candidate;
        }
    }

    // 6. Otherwise " - k" after the name when it is taken.
    const QString candidate = start + name + suffix;
    if (nameIsFree(candidate))
        return candidate;
    for (qint64 k = 1;; ++k) {
        const QString numbered = start + name + QStringLiteral(" - ") + QString::number(k) + suffix;
        if (nameIsFree(numbered))
            return numbered;
    }
}

} // namespace

QString CalculerNomPhoto(const TParamAppli &settings, const QString &theme, const QString &photoPath,
                         const QString &destination, double date, bool lowQuality, int counter,
                         const QLocale &locale, const PromisedNames *promised)
{
    const QString extension = QStringLiteral(".JPG");
    return expandedName(settings, theme, photoPath, destination, date, lowQuality, counter, locale, {extension},
                        promised)
           + extension;
}

QString memberExtension(const QString &memberPath)
{
    const QString name = FileSystem::fileNameOf(Paths::toSlashes(memberPath));
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.mid(dot).toUpper();
    return extension == QLatin1String(".JPEG") ? QStringLiteral(".JPG") : extension;
}

QString shotName(const TParamAppli &settings, const QString &theme, const QStringList &members,
                 const QString &destination, double date, int counter, const QLocale &locale,
                 const PromisedNames *promised)
{
    QStringList extensions;
    for (const QString &member : members)
        extensions.append(memberExtension(member));
    NamesOfShots shots(promised);
    return expandedName(settings, theme, members.value(0), destination, date, false, counter, locale, extensions,
                        promised, &shots)
           + extensions.value(0);
}

QString transferName(const TParamAppli &settings, const QString &theme, const QStringList &members,
                     const QString &destination, double date, int counter, const QLocale &locale,
                     const PromisedNames *promised)
{
    if (settings.AutresFormats)
        return shotName(settings, theme, members, destination, date, counter, locale, promised);
    return CalculerNomPhoto(settings, theme, members.value(0), destination, date, false, counter, locale, promised);
}

QString memberDestination(const QString &keyDestination, const QString &memberPath)
{
    const QString keyExtension = memberExtension(keyDestination);
    return keyDestination.left(keyDestination.size() - keyExtension.size()) + memberExtension(memberPath);
}

QString CalculerNomBasseQualite(const TParamAppli &settings, const QString &theme, const QString &photoPath,
                                const QString &destination, double date, int counter, const QLocale &locale)
{
    return CalculerNomPhoto(settings, theme, photoPath, destination, date, true, counter, locale);
}

namespace {

QString caseKey(const QString &absolute)
{
    return absolute.toCaseFolded();
}

} // namespace

void PromisedNames::promise(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString absolute = FileSystem::absolutePath(path);
        m_names.insert(caseKey(absolute), absolute);
    }
}

void PromisedNames::release(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QString absolute = FileSystem::absolutePath(path);
        m_names.remove(caseKey(absolute), absolute);
    }
}

bool PromisedNames::contains(const QString &path) const
{
    if (m_names.isEmpty())
        return false;
    const QString absolute = FileSystem::absolutePath(path);
    return m_names.contains(caseKey(absolute), absolute);
}

bool PromisedNames::differsInCaseOnly(const QString &path) const
{
    if (m_names.isEmpty())
        return false;
    const QString absolute = FileSystem::absolutePath(path);
    const auto [first, last] = m_names.equal_range(caseKey(absolute));
    return std::any_of(first, last, [&](const QString &promised) { return promised != absolute; });
}
