#pragma once
// The EXIF information of the photo a transfer window is working on: every entry read from the
// photo, in file order, and what the transfer takes from it (the date taken, the automatic
// rotation, the EXIF text file written beside the photo).
#include "core/settings/objectlist.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One EXIF entry; created with its four values and never changed afterwards.
class TInformationExif : public TInfo {
public:
    TInformationExif(quint32 tag, quint32 flag, QString nom, QString value);

    // The key of the entry in its list: its name.
    QString Cle() const override { return Nom; }
    // Valeur read as "YYYY:MM:DD HH:NN:SS" (see ExifDate::parse); -1.0 when it does not read.
    double DateExif() const;

    const quint32 Flag; // where the entry comes from (ExifReader::Ifd); 0 for the file-date entry
    const quint32 Tag;  // the EXIF tag number; 0 for the file-date entry
    const QString Nom;
    const QString Valeur;
};

// The entries of one photo, in the order they were added; names need not be unique.
class TListeInformationExif : public TListe {
public:
    TListeInformationExif() = default;

    // Appends a new entry under its name and returns it.
    TInformationExif &Ajouter(quint32 tag, quint32 flag, const QString &nom, const QString &value);
    // The first entry whose name equals nom, letter case ignored; null if none.
    const TInformationExif *Chercher(const QString &nom) const;
    const TInformationExif &Items(int index) const;
};

// Refills the list for a photo. With readExif on and EXIF entries in the photo, the list gets
// every entry (ExifReader); otherwise (reading off, no EXIF, or EXIF that cannot be read) the one
// entry "Date taken" with tag 0, flag 0 and the file's date "YYYY:MM:DD HH:NN:SS".
void LireInformationsExif(TListeInformationExif &list, const QString &photoPath, bool readExif);
// The same from the photo's bytes already in memory; photoPath still gives the file date.
void LireInformationsExif(TListeInformationExif &list, const QByteArray &photoContent, const QString &photoPath,
                          bool readExif);
// The same for a file that is not on the disk (a camera's): fileTime is the time its source
// gives for it.
void LireInformationsExif(TListeInformationExif &list, const QByteArray &photoContent, const QDateTime &fileTime,
                          bool readExif);

// The date taken when it reads, else the file's last-write time (local, even second); -1.0 when
// neither exists.
double DatePhoto(const TListeInformationExif &list, const QString &photoPath);
double DatePhoto(const TListeInformationExif &list, const QDateTime &fileTime);

// The automatic rotation in degrees clockwise: 90 for "right-top (6)", 270 for "left-bottom (8)",
// 0 for any other value or without an "Orientation" entry.
int AngleOrientation(const TListeInformationExif &list);

// The EXIF text file of a photo: its path with the extension replaced by ".txt".
QString exifFileName(const QString &photoPath);
// One "Nom=Valeur" line per entry, in list order, nothing trimmed or escaped.
QStringList exifFileLines(const TListeInformationExif &list);
// The lines as the file holds them: UTF-8, CR LF after every line, the last one too.
QByteArray exifFileContent(const TListeInformationExif &list);
// Writes (or replaces) the EXIF text file beside the photo, through FileReplacement so that a
// failure leaves the old file whole. Throws LumaroError
// "Erreur pendant l'écriture du fichier <path>." on failure.
void writeExifFile(const TListeInformationExif &list, const QString &photoPath);
