#pragma once
// The full-screen slideshow window: it paints the photos that its player gives it and hands
// the user's keys, clicks and menu choices to that player.
#include "core/workflows/slideshowplayer.h"
#include "dialogs/qtuserinterface.h"

#include <QDialog>
#include <QSet>

#include <memory>

class PhotoArea;
class QAction;
class QLabel;
class QMenu;
class TParamAppli;

class TforDiaporama : public QDialog, public SlideshowView {
    Q_OBJECT
public:
    // The list stays the caller's: the photos the user deletes leave it.
    TforDiaporama(TParamAppli &settings, QStringList &photos, QWidget *parent = nullptr);
    ~TforDiaporama() override;

    SlideshowPlayer &player() { return *m_player; }
    QMenu *menu() const { return pmDiaporama; }

    QSize pictureArea() const override;
    void showCaption(const QString &caption) override;
    void showPicture(const QImage &picture) override;
    void showNavigation(bool previousEnabled, bool nextEnabled) override;
    void closePlayer() override;

    // Whatever closes the window stops the slideshow and gives the pointer back.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private slots:
    void miRotationDroiteClick();
    void miRotationGaucheClick();
    void miRevenirAuDebutClick();
    void miPhotoPrecedenteClick();
    void miPhotoSuivanteClick();
    void miAllerLaFinClick();
    void miEnregistrerBasseQClick();
    void miSupprimerPhotoClick();
    void miQuitterDiaporamaClick();
    void showMenu(const QPoint &position);

private:
    QAction *addItem(const char *name, const QString &caption, void (TforDiaporama::*handler)());
    QAction *addCheckItem(const char *name, const QString &caption, bool checked);
    void buildMenu();

    QtUserInterface m_ui;
    std::unique_ptr<SlideshowPlayer> m_player;
    QLabel *panInfoPhoto = nullptr;
    PhotoArea *imaPhoto = nullptr;
    QMenu *pmDiaporama = nullptr;
    QAction *miEnregistrerAutomatique = nullptr;
    QAction *miPhotoPrecedente = nullptr;
    QAction *miPhotoSuivante = nullptr;
    QAction *miDiaporamaAutomatique = nullptr;
    // Keys whose press reached this window: only their release acts.
    QSet<int> m_pressedKeys;
};

// Plays the photos full screen on the screen of the active window until the user leaves or
// deletes the last one. An empty list opens nothing. Returns the window's result.
int LancerDiaporama(TParamAppli &settings, QStringList &photos);
