#pragma once
// The photo-by-photo transfer without its window: which photo is shown, its date and turn in
// force, the name it will get, and what "Transférer", "Basse résolution", "Précédente" and
// "Suivante" do to the list of photos and to the list of written files. The window shows the
// state and forwards the user's actions; tests drive it the same way.
#include "core/exif/informationexif.h"
#include "core/sources/photosource.h"

#include <QString>
#include <QStringList>

#include <memory>

class FormatReader;
class ShotMembers;
class TParamAppli;
class UserInterface;

class PhotoByPhotoSession {
public:
    // photos is the search's list (at least one entry); entries whose source a transfer deleted
    // are removed from it. destination is the root folder, with its trailing "/".
    // shots (kept by the caller) gives every member of the search's shots of several files.
    PhotoByPhotoSession(const TParamAppli &settings, QStringList &photos, QString destination, QString theme,
                        const ShotMembers *shots = nullptr);
    ~PhotoByPhotoSession();

    // A camera or phone the photos are read from, each once, and deleted on (null: files on
    // the disk). A deletion it refuses is told once, through the ui of the transfer.
    void setSource(std::shared_ptr<PhotoSource> source) { m_source = std::move(source); }

    // Settings and toggles in force. Automatic rotation applies when a photo is shown; the two
    // others at the next transfer. EXIF management off forces rotation and export off.
    bool exifManaged() const;
    bool automaticRotation() const { return m_automaticRotation; }
    void setAutomaticRotation(bool on);
    bool lowQuality() const { return m_lowQuality; }
    void setLowQuality(bool on) { m_lowQuality = on; }
    bool exportExif() const { return m_exportExif; }
    void setExportExif(bool on);

    // The photo shown: 1 for the first; the list's count is total().
    int NumeroPhoto() const { return m_number; }
    int total() const { return int(m_photos.size()); }
    QString source() const;
    // The path of photo number n (1 for the first); empty outside the list.
    QString sourceAt(int number) const { return m_photos.value(number - 1); }
    // Every file of the shot shown, its key member (source()) first.
    QStringList members() const;
    // The shot has a JPEG, the one file a turn applies to.
    bool turnable() const;
    // The shot shown is a video, whose length is durationMs() (-1 when unknown).
    bool isVideo() const;
    qint64 durationMs() const { return m_durationMs; }
    // The reader of RAW, HEIF and video files (with the other formats on), for the pictures.
    FormatReader *formatReader() const { return m_formats.get(); }
    bool hasNext() const { return total() > m_number; }
    bool hasPrevious() const { return m_number > 1; }

    // Reads the photo at NumeroPhoto: its EXIF list (or only the file date when EXIF is not
    // managed), its date, no turn but the automatic one. Moving drops a turn and a date change.
    void showCurrent();
    void next();
    void previous();

    const TListeInformationExif &InfosExif() const { return m_exif; }
    // The date the photo was found with, and the one its name and transfer use.
    double DateLue() const { return m_dateLue; }
    double DatePriseDeVue() const { return m_datePriseDeVue; }
    // A date typed in the editor; a value that is no date keeps the last valid one, so a name
    // is never made from the empty date.
    void setDatePriseDeVue(double date);
    // The editor closes: the photo's own date again.
    void restoreDate() { m_datePriseDeVue = m_dateLue; }

    int AnglePhoto() const { return m_angle; }
    // Only a shot with a JPEG turns (turnable()); the others stay as the camera wrote them.
    void rotateRight();
    void rotateLeft();

    // The theme in force, as typed (never reset from one photo to the next).
    const QString &theme() const { return m_theme; }
    void setTheme(const QString &theme) { m_theme = theme; }
    // Themes typed during the run, to pick again (letter case ignored, first spelling kept).
    const QStringList &themes() const { return m_themes; }
    void rememberTheme(const QString &theme);

    // The full destination path of the photo shown with the theme, date and counter in force
    // (the counter is the number of files written + 1). Computed afresh at each call: the
    // destination folder may have changed.
    QString NomFinal() const;
    QString NomBasseQualite() const;

    enum class After { NextPhoto, Finished, SamePhoto };
    // Transfers the photo shown under NomFinal (the path the window showed, passed in so that
    // what the user saw is what is written). The transfer reports its own failure to ui.
    After transfer(const QString &finalName, UserInterface &ui);
    // Writes only the photo's low-quality copy; the photo stays on the card and in the list.
    // On failure the message goes to ui and the window stays on the photo.
    After lowQualityOnly(UserInterface &ui);

    // Everything written, in order: the slideshow's list at the end.
    const QStringList &PhotosTransferees() const { return m_written; }
    // Stopping asks for a confirmation only when photos remain after the one shown.
    bool stopNeedsConfirmation() const { return hasNext(); }

private:
    After moveOn();
    bool fromDevice() const { return m_source && m_source->isDevice(); }
    // The bytes and time of the photo shown, read from the device; empty when it failed.
    const QByteArray &deviceContent();
    After transferFromDevice(const QString &finalName, UserInterface &ui);

    const TParamAppli &m_settings;
    QStringList &m_photos;
    const ShotMembers *m_shots;
    std::unique_ptr<FormatReader> m_formats;
    qint64 m_durationMs = -1;
    QString m_destination;
    QString m_theme;
    QStringList m_themes;
    TListeInformationExif m_exif;
    QStringList m_written;
    int m_number = 1;
    int m_angle = 0;
    double m_dateLue = -1.0;
    double m_datePriseDeVue = -1.0;
    bool m_automaticRotation = false;
    bool m_lowQuality = false;
    bool m_exportExif = false;
    std::shared_ptr<PhotoSource> m_source;
    QString m_contentPath; // whose bytes m_content holds
    QByteArray m_content;
    QDateTime m_fileTime;
    DeviceOutcome m_readOutcome;
    bool m_deletionRefusedTold = false;
};
