#pragma once
// The names of transferred photos: the photo-name mask and the folder mask of the settings,
// expanded for one photo, give the full path to write, a free one when the file already exists.
// Nothing is created or written here.
//
// Tags (any letter case): #HH #MI #SS hour, minutes, seconds; #AAAA #AA year; #MMM #MM month
// name, long and short; #M month number; #JJJ #JJ day name, long and short; #J day of the month;
// #THEME the theme; #ORIG the source name without extension; #CPTx the counter on x digits;
// #Nx the smallest free number on x digits. "\" and "/" both separate sub-folders.
#include <QLocale>
#include <QString>
#include <QStringList>

#include <QMultiHash>

class TParamAppli;

// The names promised to photos that are being written and have not taken their names yet:
// taken all the same, so that no two photos in flight are given one name.
class PromisedNames {
public:
    void promise(const QStringList &paths);
    void release(const QStringList &paths);
    // The very name (a name is what the file system makes of it: the same text).
    bool contains(const QString &path) const;
    // A promised name that differs from this one in letter case only: on a card's file system
    // both are one file, on another two. Only the disk can tell, once the promised file is
    // there.
    bool differsInCaseOnly(const QString &path) const;
    bool isEmpty() const { return m_names.isEmpty(); }

private:
    QMultiHash<QString, QString> m_names; // by the case-folded absolute path
};

// Replaces, tag after tag in list order, every occurrence of the tag (letters a-z in any case)
// by its value. The text a tag brings is searched for the later tags only, and never for its own
// tag: a value that contains its own tag keeps it as text.
QString RemplacerTags(const QString &content, const QStringList &tags, const QStringList &values);

// The full path for the photo (or its low-quality copy) with the masks of the settings
// (MasqueNomPhoto; MasqueRepertoire when RepertoireSpecif is on; Repertoire and Suffixe of the
// low-quality copies). destination is the transfer's root folder, with or without its final "/".
// date is the photo's date (ExifDate values). Month and day names come from the locale: the
// user's (QLocale() follows the system unless a default was set) or one given by the caller.
// The name always ends with ".JPG".
// A name in `promised` counts as taken.
QString CalculerNomPhoto(const TParamAppli &settings, const QString &theme, const QString &photoPath,
                         const QString &destination, double date, bool lowQuality, int counter,
                         const QLocale &locale = QLocale(), const PromisedNames *promised = nullptr);

// The new extension of a member of a shot: ".JPG" for every JPEG (as CalculerNomPhoto), the
// member's own extension in capitals for the others (".CR2", ".HEIC", ".MP4", ".XMP").
QString memberExtension(const QString &memberPath);

// The new path of a shot's key member: CalculerNomPhoto's name expanded once for the shot
// (date: the key member's), ending with the key member's extension, and free for the whole
// shot: #N and the " - k" loop pass over a name as long as any member's file takes it, or any
// other photo, film or sidecar file of that name (letter case aside), on the disk or promised.
// members are the shot's paths, key first; one JPEG gives CalculerNomPhoto's path when no file
// of another kind takes its name.
QString shotName(const TParamAppli &settings, const QString &theme, const QStringList &members,
                 const QString &destination, double date, int counter, const QLocale &locale = QLocale(),
                 const PromisedNames *promised = nullptr);
// The new path of a photo or shot as the settings name it: shotName with the other formats on
// (AutresFormats), where even a JPEG alone is a shot; else CalculerNomPhoto of its one JPEG.
QString transferName(const TParamAppli &settings, const QString &theme, const QStringList &members,
                     const QString &destination, double date, int counter, const QLocale &locale = QLocale(),
                     const PromisedNames *promised = nullptr);
// The path of a member of a shot whose key member is named keyDestination: the same name with
// the member's extension.
QString memberDestination(const QString &keyDestination, const QString &memberPath);

// CalculerNomPhoto for the low-quality copy.
QString CalculerNomBasseQualite(const TParamAppli &settings, const QString &theme, const QString &photoPath,
                                const QString &destination, double date, int counter,
                                const QLocale &locale = QLocale());
