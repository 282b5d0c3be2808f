#include "slideshow/fordiaporama.h"

#include "core/workflows/slideshowpicture.h"

#include "core/settings/paramappli.h"
#include "dialogs/helpwindow.h"
#include "slideshow/photoarea.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int CaptionHeight = 21;

bool isSlideshowKey(int key)
{
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Left:
    case Qt::Key_Escape:
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

} // namespace

TforDiaporama::TforDiaporama(TParamAppli &settings, QStringList &photos, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("forDiaporama"));
    setWindowTitle(QStringLiteral("Lumaro - Diaporama"));
    // F1 means nothing here: the help would open under a slideshow that runs on.
    Help::setContext(this, Help::Context::None);
    setFocusPolicy(Qt::StrongFocus);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    setPalette(black);
    setAutoFillBackground(true);

    panInfoPhoto = new QLabel(this);
    panInfoPhoto->setObjectName(QStringLiteral("panInfoPhoto"));
    panInfoPhoto->setAlignment(Qt::AlignCenter);
    panInfoPhoto->setTextFormat(Qt::PlainText);
    panInfoPhoto->setPalette(black);
    panInfoPhoto->setAutoFillBackground(true);
    panInfoPhoto->setFixedHeight(qMax(CaptionHeight, panInfoPhoto->fontMetrics().height() + 6));
    panInfoPhoto->setContextMenuPolicy(Qt::CustomContextMenu);
    panInfoPhoto->setVisible(settings.AfficherNom);

    imaPhoto = new PhotoArea(this);
    imaPhoto->setObjectName(QStringLiteral("imaPhoto"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panInfoPhoto);
    layout->addWidget(imaPhoto, 1);

    // The pointer disappears over this window only; message boxes and the menu still show it.
    if (settings.CacherCurseur)
        setCursor(Qt::BlankCursor);

    m_player = std::make_unique<SlideshowPlayer>(photos, settings, *this, m_ui);
    buildMenu();

    connect(imaPhoto, &PhotoArea::clicked, this, &TforDiaporama::miPhotoSuivanteClick);
    connect(imaPhoto, &PhotoArea::resized, m_player.get(), &SlideshowPlayer::areaChanged);
    connect(imaPhoto, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { showMenu(imaPhoto->mapToGlobal(at)); });
    connect(panInfoPhoto, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { showMenu(panInfoPhoto->mapToGlobal(at)); });
}

TforDiaporama::~TforDiaporama()
{
    // The player goes first: its workers may still be decoding for this window.
    m_player.reset();
}

QAction *TforDiaporama::addItem(const char *name, const QString &caption, void (TforDiaporama::*handler)())
{
    QAction *action = pmDiaporama->addAction(caption);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

QAction *TforDiaporama::addCheckItem(const char *name, const QString &caption, bool checked)
{
    QAction *action = pmDiaporama->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

void TforDiaporama::buildMenu()
{
    pmDiaporama = new QMenu(this);
    pmDiaporama->setObjectName(QStringLiteral("pmDiaporama"));
    addItem("miRotationDroite", QStringLiteral("Rotation de 90° à droite"), &TforDiaporama::miRotationDroiteClick);
    addItem("miRotationGauche", QStringLiteral("Rotation de 90° à gauche"), &TforDiaporama::miRotationGaucheClick);
    miEnregistrerAutomatique = addCheckItem("miEnregistrerAutomatique",
                                            QStringLiteral("Enregistrer automatiquement les rotations sur disque"),
                                            m_player->saveRotations());
    pmDiaporama->addSeparator();
    addItem("miRevenirAuDebut", QStringLiteral("Revenir au début"), &TforDiaporama::miRevenirAuDebutClick);
    miPhotoPrecedente = addItem("miPhotoPrecedente", QStringLiteral("Photo précédente"),
                                &TforDiaporama::miPhotoPrecedenteClick);
    miPhotoSuivante = addItem("miPhotoSuivante", QStringLiteral("Photo suivante"), &TforDiaporama::miPhotoSuivanteClick);
    addItem("miAllerLaFin", QStringLiteral("Aller à la fin"), &TforDiaporama::miAllerLaFinClick);
    pmDiaporama->addSeparator();
    addItem("miEnregistrerBasseQ", QStringLiteral("Enregistrer une basse résolution"),
            &TforDiaporama::miEnregistrerBasseQClick);
    addItem("miSupprimerPhoto", QStringLiteral("Supprimer la photo"), &TforDiaporama::miSupprimerPhotoClick);
    pmDiaporama->addSeparator();
    miDiaporamaAutomatique = addCheckItem("miDiaporamaAutomatique", QStringLiteral("Diaporama automatique"),
                                          m_player->autoAdvance());
    pmDiaporama->addSeparator();
    addItem("miQuitterDiaporama", QStringLiteral("Quitter le diaporama"), &TforDiaporama::miQuitterDiaporamaClick);

    connect(miEnregistrerAutomatique, &QAction::toggled, m_player.get(), &SlideshowPlayer::setSaveRotations);
    connect(miDiaporamaAutomatique, &QAction::toggled, m_player.get(), &SlideshowPlayer::setAutoAdvance);
    // No photo changes under an open menu: the command chosen is for the photo it was opened on.
    connect(pmDiaporama, &QMenu::aboutToShow, this, [this] { m_player->holdPacing(true); });
    connect(pmDiaporama, &QMenu::aboutToHide, this, [this] { m_player->holdPacing(false); });
}

void TforDiaporama::showMenu(const QPoint &position)
{
    pmDiaporama->popup(position);
}

QSize TforDiaporama::pictureArea() const
{
    return imaPhoto->size();
}

void TforDiaporama::showCaption(const QString &caption)
{
    panInfoPhoto->setText(caption);
}

void TforDiaporama::showPicture(const QImage &picture)
{
    imaPhoto->setPicture(picture);
}

void TforDiaporama::showNavigation(bool previousEnabled, bool nextEnabled)
{
    miPhotoPrecedente->setEnabled(previousEnabled);
    miPhotoSuivante->setEnabled(nextEnabled);
}

void TforDiaporama::closePlayer()
{
    accept();
}

void TforDiaporama::done(int result)
{
    m_player->finish();
    pmDiaporama->close();
    unsetCursor();
    QDialog::done(result);
}

void TforDiaporama::keyPressEvent(QKeyEvent *event)
{
    // Nothing here acts on a press, Escape included (which would otherwise close the dialog).
    if (isSlideshowKey(event->key())) {
        if (!event->isAutoRepeat())
            m_pressedKeys.insert(event->key());
        event->accept();
        return;
    }
    event->ignore();
}

void TforDiaporama::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
    // A release whose press went elsewhere (the Escape that answered a question) does nothing.
    if (event->isAutoRepeat() || !m_pressedKeys.remove(event->key()))
        return;
    switch (event->key()) {
    case Qt::Key_Right:
        m_player->PhotoSuivante();
        break;
    case Qt::Key_Left:
        m_player->PhotoPrecedente();
        break;
    case Qt::Key_Escape:
        m_player->quit();
        break;
    case Qt::Key_Down:
        m_player->TournerPhoto(90);
        break;
    case Qt::Key_Up:
        m_player->TournerPhoto(270);
        break;
    case Qt::Key_Delete:
        m_player->SupprimerPhoto();
        break;
    default:
        break;
    }
}

void TforDiaporama::miRotationDroiteClick()
{
    m_player->TournerPhoto(90);
}

void TforDiaporama::miRotationGaucheClick()
{
    m_player->TournerPhoto(270);
}

void TforDiaporama::miRevenirAuDebutClick()
{
    m_player->backToStart();
}

void TforDiaporama::miPhotoPrecedenteClick()
{
    m_player->PhotoPrecedente();
}

void TforDiaporama::miPhotoSuivanteClick()
{
    m_player->PhotoSuivante();
}

void TforDiaporama::miAllerLaFinClick()
{
    m_player->goToEnd();
}

void TforDiaporama::miEnregistrerBasseQClick()
{
    m_player->saveLowQualityCopy();
}

void TforDiaporama::miSupprimerPhotoClick()
{
    m_player->SupprimerPhoto();
}

void TforDiaporama::miQuitterDiaporamaClick()
{
    m_player->quit();
}

int LancerDiaporama(TParamAppli &settings, QStringList &photos)
{
    // Videos and sidecars have no picture to show: a shot is shown by its photos.
    photos.removeIf([](const QString &path) { return !isSlideshowPicture(path); });
    if (photos.isEmpty())
        return QDialog::Rejected;
    QWidget *active = QApplication::activeWindow();
    TforDiaporama window(settings, photos, active);
    const QScreen *screen = active ? active->screen() : QGuiApplication::primaryScreen();
    if (screen)
        window.setGeometry(screen->geometry());
    window.setWindowState(Qt::WindowFullScreen);
    // The first photo is asked for once the window is on the screen and has its size.
    QTimer::singleShot(0, &window, [&window] { window.player().start(); });
    return window.exec();
}
