#include "core/exif/informationexif.h"

#include "core/exif/datetimevalue.h"
#include "core/error.h"
#include "core/exif/exifdate.h"
#include "core/exif/exifreader.h"
#include "core/files/filereplacement.h"
#include "core/files/textfile.h"

// --- TInformationExif -----------------------------------------------------------------------

TInformationExif::TInformationExif(quint32 tag, quint32 flag, QString nom, QString valeur)
    : Flag(flag), Tag(tag), Nom(std::move(nom)), Valeur(std::move(valeur))
{
}

double TInformationExif::DateExif() const
{
    return ExifDate::parse(Valeur);
}

// --- TListeInformationExif ------------------------------------------------------------------

TInformationExif &TListeInformationExif::Ajouter(quint32 tag, quint32 flag, const QString &nom,
                                                 const QString &valeur)
{
    auto item = std::make_unique<TInformationExif>(tag, flag, nom, valeur);
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

void remplir(TListeInformationExif &liste, const QList<ExifReader::Entry> &entries, const QString &cheminPhoto)
{
    liste.Vider();
    for (const ExifReader::Entry &e : entries)
        liste.Ajouter(e.tag, e.flag, e.name, e.value);
    // No readable EXIF: the file date stands in, so that a date is always found in the same place.
    if (liste.isEmpty())
        liste.Ajouter(0, 0, QLatin1String(ExifReader::DateTakenName), ExifDate::format(ExifDate::fileDate(cheminPhoto)));
}

} // namespace

void LireInformationsExif(TListeInformationExif &liste, const QString &cheminPhoto, bool lireExif)
{
    QList<ExifReader::Entry> entries;
    if (lireExif && ExifReader::hasExif(cheminPhoto))
        entries = ExifReader::readEntries(cheminPhoto);
    remplir(liste, entries, cheminPhoto);
}

void LireInformationsExif(TListeInformationExif &liste, const QByteArray &contenuPhoto, const QString &cheminPhoto,
                          bool lireExif)
{
    QList<ExifReader::Entry> entries;
    if (lireExif && ExifReader::hasExif(contenuPhoto))
        entries = ExifReader::readEntries(contenuPhoto);
    remplir(liste, entries, cheminPhoto);
}

double DatePhoto(const TListeInformationExif &liste, const QString &cheminPhoto)
{
    const TInformationExif *date = liste.Chercher(QLatin1String(ExifReader::DateTakenName));
    const double d = date ? date->DateExif() : DateValue::None;
    if (d == DateValue::None)
        return ExifDate::fileDate(cheminPhoto);
    return d;
}

int AngleOrientation(const TListeInformationExif &liste)
{
    const TInformationExif *orientation = liste.Chercher(QLatin1String(ExifReader::OrientationName));
    if (!orientation)
        return 0;
    if (orientation->Valeur == QLatin1String("right-top (6)"))
        return 90;
    if (orientation->Valeur == QLatin1String("left-bottom (8)"))
        return 270;
    return 0;
}

// --- The EXIF text file -----------------------------------------------------------------------

QString NomFichierExif(const QString &cheminPhoto)
{
    const qsizetype slash = cheminPhoto.lastIndexOf(u'/');
    const qsizetype dot = cheminPhoto.lastIndexOf(u'.');
    const QString base = dot > slash ? cheminPhoto.left(dot) : cheminPhoto;
    return base + QStringLiteral(".txt");
}

QStringList LignesFichierExif(const TListeInformationExif &liste)
{
    QStringList lines;
    lines.reserve(liste.Count());
    for (int i = 0; i < liste.Count(); ++i) {
        const TInformationExif &item = liste.Items(i);
        lines.append(item.Nom + u'=' + item.Valeur);
    }
    return lines;
}

QByteArray ContenuFichierExif(const TListeInformationExif &liste)
{
    return TextFile::joinCrlf(LignesFichierExif(liste));
}

void EnregistrerFichierExif(const TListeInformationExif &liste, const QString &cheminPhoto)
{
    const QString path = NomFichierExif(cheminPhoto);
    if (!FileReplacement::writeWhole(path, ContenuFichierExif(liste)))
        throw LumaroError(QStringLiteral("Erreur pendant l'écriture du fichier %1.").arg(path));
}
