#pragma once
// The slideshow itself, without its window: which photo is shown, the pacing, the turns, the
// low-quality copies and the deletions, with their questions and messages. The window paints
// what the player gives it and forwards the user's commands; the tests drive the same class
// through a view of their own.
#include "core/workflows/slideshowloader.h"
#include "core/workflows/slideshowpacer.h"
#include "core/workflows/slideshowsequence.h"

#include <QObject>

class TParamAppli;
class UserInterface;

// What the player needs from the window that shows it.
class SlideshowView {
public:
    virtual ~SlideshowView() = default;
    // The area a photo is fitted into.
    virtual QSize pictureArea() const = 0;
    virtual void showCaption(const QString &caption) = 0;
    // Paints the picture centred on black; a null picture leaves the area black.
    virtual void showPicture(const QImage &picture) = 0;
    virtual void showNavigation(bool previousEnabled, bool nextEnabled) = 0;
    // The slideshow is over: the window closes.
    virtual void closePlayer() = 0;
};

class SlideshowPlayer : public QObject {
    Q_OBJECT
public:
    // Reads the Diaporama settings: Tempo, Activer, Boucler. The list is the caller's.
    SlideshowPlayer(QStringList &photos, const TParamAppli &settings, SlideshowView &view, UserInterface &ui,
                    QObject *parent = nullptr);
    ~SlideshowPlayer() override;

    // Shows the first photo; an empty list ends the slideshow at once.
    void start();

    // The user's commands. Each is dropped while a photo is being loaded, turned or saved, and
    // once the slideshow is over.
    void PhotoSuivante();
    void PhotoPrecedente();
    void backToStart();
    void goToEnd();
    // Escape and the menu's "Quitter le diaporama": asks "Quitter le diaporama ?".
    void quit();
    // Quarter turn of the photo on display: 90 to the right, 270 to the left.
    void TournerPhoto(int angle);
    // "Supprimer la photo": the file and its low-quality copy, after "Supprimer la photo définitivement ?".
    void SupprimerPhoto();
    // "Enregistrer une basse résolution": the low-quality copy of the file as it is on disk.
    void saveLowQualityCopy();

    // "Diaporama automatique": whether the timer's ticks move on.
    bool autoAdvance() const { return m_autoAdvance; }
    void setAutoAdvance(bool on) { m_autoAdvance = on; }
    // "Enregistrer automatiquement les rotations sur disque".
    bool saveRotations() const { return m_saveRotations; }
    void setSaveRotations(bool on) { m_saveRotations = on; }
    // Decoding the next photo while this one is shown (on by default; turned on, it starts at once).
    bool lookAhead() const { return m_lookAhead; }
    void setLookAhead(bool on);

    // A menu is open over the photo: the timer waits until it closes.
    void holdPacing(bool held) { m_pacer.setHeld(held); }
    // The window's picture area changed size: the photo is fitted again.
    void areaChanged();
    // The window is closing, whatever the way: no tick, load or question any more.
    void finish();

    bool isBusy() const { return m_busy; }
    bool RotationEnCours() const { return m_rotating; }
    bool isFinished() const { return m_finished; }
    int IndicePhoto() const { return m_sequence.IndicePhoto(); }
    const SlideshowSequence &sequence() const { return m_sequence; }
    const SlideshowPacer &pacer() const { return m_pacer; }
    const SlideshowLoader &loader() const { return m_loader; }
    // The caption of the photo on display: "(Photo 3 / 12) - <path>".
    QString caption() const;

signals:
    // A photo was displayed (or failed to load and its error was shown); the timer runs again.
    void photoDisplayed();

private:
    void AfficherPhoto();
    // The end was reached without looping, or the user wants to leave: asks before closing.
    void TerminerDiaporama();
    void pictureReady(const SlideshowPicture &picture);
    void timerTick();
    // Shows the decoded photo turned by that angle; false (after the message) when it cannot.
    bool showTurned(const QImage &turned);
    void endRotation();
    void endBusy();
    bool accepting() const { return !m_busy && !m_finished; }

    SlideshowSequence m_sequence;
    SlideshowPacer m_pacer;
    SlideshowLoader m_loader;
    const TParamAppli &m_settings;
    SlideshowView &m_view;
    UserInterface &m_ui;
    SlideshowPicture m_picture; // the photo on display, as decoded
    int m_viewAngle = 0;        // the turn shown on top of the file's pixels
    bool m_autoAdvance;
    bool m_saveRotations = true;
    bool m_lookAhead = true;
    bool m_busy = false;
    bool m_rotating = false;
    bool m_finished = false;
};
