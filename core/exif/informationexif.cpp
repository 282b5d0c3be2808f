#include "core/exif/informationexif.h"

#include "core/exif/datetimevalue.h"
#include "core/error.h"
#include "core/exif/exifdate.h"
#include "core/exif/exifreader.h"
#include "core/files/filereplacement.h"
#include "core/files/textfile.h"

// --- TInformationExif -----------------------------------------------------------------------

TInformationExif::TInformationExif(quint32 tag, quint32 flag, QString nom, QString value)
    : Flag(flag), Tag(tag), Nom(std::move(nom)), Valeur(std::move(value))
{
}

double TInformationExif::DateExif() const
{
    return ExifDate::parse(Valeur);
}

// --- TListeInformationExif ------------------------------------------------------------------

TInformationExif &TListeInformationExif::Ajouter(quint32 tag, quint32 flag, const QString &nom,
                                                 const QString &value)
{
    auto item = std::make_unique<TInformationExif>(tag, flag, nom, value);
    return static_cast<TInformationExif &>(AjouterElement(std::move(item), nom));
}

const TInformationExif *TListeInformationExif::Chercher(const QString &nom) const
{
    // Only this class's Ajouter fills the list in practice, but AjouterElement is open to any item.
    return dynamic_cast<const TInformationExif *>(TListe::Chercher(nom));
}

const TInformationExif &TListeInformationExif::Items(int index) const
{
    return dynamic_cast<const TInformationExif &>(TListe::Items(index));
}

// --- Reading ----------------------------------------------------------------------------------

namespace {

// A file time as the file date of a photo: local, even second.
double dateOfTime(const QDateTime &time)
{
    return time.isValid() ? DateValue::fromDateTime(DateValue::evenSecond(time)) : DateValue::None;
}

void fill(TListeInformationExif &list, const QList<ExifReader::Entry> &entries, double fileDate)
{
    list.Vider();
    for (const ExifReader::Entry &e : entries)
        list.Ajouter(e.tag, e.flag, e.name, e.value);
    // No readable EXIF: the file date stands in, so that a date is always found in the same place.
    if (list.isEmpty())
        list.Ajouter(0, 0, QLatin1String(ExifReader::DateTakenName), ExifDate::format(fileDate));
}

void fill(TListeInformationExif &list, const QList<ExifReader::Entry> &entries, const QString &photoPath)
{
    // The file is asked for its date only when the EXIF data gives none.
    fill(list, entries, entries.isEmpty() ? ExifDate::fileDate(photoPath) : DateValue::None);
}

} // namespace

void LireInformationsExif(TListeInformationExif &list, const QString &photoPath, bool readExif)
{
    QList<ExifReader::Entry> entries;
    if (readExif && ExifReader::hasExif(photoPath))
        entries = ExifReader::readEntries(photoPath);
    fill(list, entries, photoPath);
}

void LireInformationsExif(TListeInformationExif &list, const QByteArray &photoContent, const QString &photoPath,
                          bool readExif)
{
    QList<ExifReader::Entry> entries;
    if (readExif && ExifReader::hasExif(photoContent))
        entries = ExifReader::readEntries(photoContent);
    fill(list, entries, photoPath);
}

void LireInformationsExif(TListeInformationExif &list, const QByteArray &photoContent, const QDateTime &fileTime,
                          bool readExif)
{
    QList<ExifReader::Entry> entries;
    if (readExif && ExifReader::hasExif(photoContent))
        entries = ExifReader::readEntries(photoContent);
    fill(list, entries, dateOfTime(fileTime));
}

double DatePhoto(const TListeInformationExif &list, const QDateTime &fileTime)
{
    const TInformationExif *date = list.Chercher(QLatin1String(ExifReader::DateTakenName));
    const double d = date ? date->DateExif() : DateValue::None;
    return d == DateValue::None ? dateOfTime(fileTime) : d;
}

double DatePhoto(const TListeInformationExif &list, const QString &photoPath)
{
    const TInformationExif *date = list.Chercher(QLatin1String(ExifReader::DateTakenName));
    const double d = date ? date->DateExif() : DateValue::None;
    if (d == DateValue::None)
        return ExifDate::fileDate(photoPath);
    return d;
}

int AngleOrientation(const TListeInformationExif &list)
{
    const TInformationExif *orientation = list.Chercher(QLatin1String(ExifReader::OrientationName));
    if (!orientation)
        return 0;
    if (orientation->Valeur == QLatin1String("right-top (6)"))
        return 90;
    if (orientation->Valeur == QLatin1String("left-bottom (8)"))
        return 270;
    return 0;
}

// --- The EXIF text file -----------------------------------------------------------------------

QString exifFileName(const QString &photoPath)
{
    const qsizetype slash = photoPath.lastIndexOf(u'/');
    const qsizetype dot = photoPath.lastIndexOf(u'.');
    const QString base = dot > slash ? photoPath.left(dot) : photoPath;
    return base + QStringLiteral(".txt");
}

QStringList exifFileLines(const TListeInformationExif &list)
{
    QStringList lines;
    lines.reserve(list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TInformationExif &item = list.Items(i);
        lines.append(item.Nom + u'=' + item.Valeur);
    }
    return lines;
}

QByteArray exifFileContent(const TListeInformationExif &list)
{
    return TextFile::joinCrlf(exifFileLines(list));
}

void writeExifFile(const TListeInformationExif &list, const QString &photoPath)
{
    const QString path = exifFileName(photoPath);
    if (!FileReplacement::writeWhole(path, exifFileContent(list)))
        throw LumaroError(QStringLiteral("Erreur pendant l'écriture du fichier %1.").arg(path));
}
