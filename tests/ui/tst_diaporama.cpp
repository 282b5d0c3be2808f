// The slideshow's set-up dialog and its full-screen player, driven as the user does.
#include "app/forprincipal.h"
#include "app/lumaroapplication.h"
#include "controls/saisiebouton.h"
#include "core/imaging/imaging.h"
#include "core/settings/paramappli.h"
#include "core/operations/photooperations.h"
#include "dialogs/choisirrepertoire.h"
#include "dialogs/helpwindow.h"
#include "slideshow/fordiaporama.h"
#include "slideshow/forparamdiaporama.h"
#include "slideshow/photoarea.h"
#include "tests/testsupport.h"
#include "tests/ui/uisupport.h"
#include "tests/ui/modaldriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using UiSupport::child;

namespace {

QStringList menuLayout(QMenu *menu)
{
    QStringList entries;
    for (QAction *action : menu->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->objectName() + u'=' + action->text());
    return entries;
}

void sendKey(QWidget *target, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestDiaporama : public QObject {
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    std::unique_ptr<TParamAppli> m_settings;
    QStringList m_photos;

    QString writePhoto(const QString &relative, QSize size, QColor colour = QColor(30, 90, 160))
    {
        QImage image(size, QImage::Format_RGB888);
        image.fill(colour);
        const QString path = m_dir->filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        Imaging::saveJpeg(path, image, Imaging::SaveOptions{90, {}, false});
        return path;
    }

    // A player shown as a window of 800 x 600, its first photo on the screen.
    std::unique_ptr<TforDiaporama> openPlayer()
    {
        auto window = std::make_unique<TforDiaporama>(*m_settings, m_photos);
        window->resize(800, 600);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("player not exposed");
        QSignalSpy shown(&window->player(), &SlideshowPlayer::photoDisplayed);
        window->player().start();
        if (!shown.wait(10000))
            qWarning("first photo not displayed");
        return window;
    }

    static bool waitForPhoto(TforDiaporama &window, const std::function<void()> &action)
    {
        QSignalSpy shown(&window.player(), &SlideshowPlayer::photoDisplayed);
        action();
        return shown.wait(10000);
    }

    static QString caption(TforDiaporama &window) { return child<QLabel>(&window, "panInfoPhoto")->text(); }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        LumaroApplication::installFrenchTranslation(*qApp);
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        m_settings = std::make_unique<TParamAppli>(m_dir->filePath(QStringLiteral("settings/Lumaro.ini")));
        m_settings->Tempo = 1000000; // no photo moves on by itself unless a test wants it
        m_photos = {writePhoto(QStringLiteral("photos/a.jpg"), QSize(400, 304)),
                    writePhoto(QStringLiteral("photos/b.jpg"), QSize(304, 400)),
                    writePhoto(QStringLiteral("photos/c.jpg"), QSize(64, 48))};
    }

    void cleanup()
    {
        QVERIFY(!QApplication::overrideCursor());
        m_settings.reset();
        delete m_dir;
        m_dir = nullptr;
    }

    // --- the set-up dialog ---

    void setUpDialogLayout()
    {
        m_settings->LecteurCarte = QStringLiteral("/media/carte/");
        TforParamDiaporama dialog(*m_settings);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Lumaro - Paramétrage du Diaporama"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(child<QGroupBox>(&dialog, "gbParametres"));
        QCOMPARE(child<QLabel>(&dialog, "Label2")->text(), QStringLiteral("Répertoire des photos :"));
        auto *folder = child<TSaisieListe>(&dialog, "slRepertoire");
        QCOMPARE(folder->text(), QStringLiteral("/media/carte/"));
        QVERIFY(folder->isReadOnly());
        QCOMPARE(folder->Parametres(), QStringLiteral("dfTout"));
        auto *subfolders = child<QCheckBox>(&dialog, "cbSousRepertoire");
        QCOMPARE(subfolders->text(), QStringLiteral("Explorer les sous répertoires"));
        QVERIFY(subfolders->isChecked());
        QCOMPARE(child<QPushButton>(&dialog, "butFiltre")->text(), QStringLiteral("&Filtrer les photos"));
        QCOMPARE(child<QPushButton>(&dialog, "butSuivant")->text(), QStringLiteral("&Suivant"));
        QVERIFY(child<QPushButton>(&dialog, "butSuivant")->isDefault());
        QCOMPARE(child<QPushButton>(&dialog, "butAnnuler")->text(), QStringLiteral("&Arrêter"));
        QCOMPARE(Help::contextOf(&dialog), Help::Context::SlideshowSetUp);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const char *name : {"butFiltre", "butSuivant", "butAnnuler", "cbSousRepertoire"}) {
            auto *button = child<QAbstractButton>(&dialog, name);
            QVERIFY2(button->width() >= button->sizeHint().width(), name);
        }
    }

    void emptyFolderTextKeepsTheDialogOpen()
    {
        m_settings->LecteurCarte.clear();
        TforParamDiaporama dialog(*m_settings);
        child<TSaisieListe>(&dialog, "slRepertoire")->AffecterTexte(QString());
        dialog.show();
        ModalDriver driver;
        driver.then(ModalDriver::press(QStringLiteral("OK")));
        QTest::mouseClick(child<QPushButton>(&dialog, "butSuivant"), Qt::LeftButton);
        QTRY_COMPARE(driver.boxTexts, QStringList{QStringLiteral("Veuillez saisir un répertoire.")});
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }

    void noPhotoSaysTheFolderIsEmptyAndCloses()
    {
        // The photos lie in a sub-folder, which is not searched once unticked.
        m_settings->LecteurCarte = m_dir->path();
        TforParamDiaporama dialog(*m_settings);
        child<QCheckBox>(&dialog, "cbSousRepertoire")->setChecked(false);
        dialog.show();
        ModalDriver driver;
        driver.then(ModalDriver::press(QStringLiteral("OK")));
        QTest::mouseClick(child<QPushButton>(&dialog, "butSuivant"), Qt::LeftButton);
        QTRY_COMPARE(driver.boxTexts, QStringList{QStringLiteral("Le repertoire est vide !")});
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void browsingSetsTheFolderOnlyWhenConfirmed()
    {
        TforParamDiaporama dialog(*m_settings);
        auto *folder = child<TSaisieListe>(&dialog, "slRepertoire");
        const QString before = folder->text();
        dialog.show();
        QString title;
        ModalDriver driver;
        driver.then([&title](QWidget *modal) {
            title = modal->windowTitle();
            qobject_cast<QDialog *>(modal)->reject();
        });
        QTest::mouseClick(folder->button(), Qt::LeftButton);
        QTRY_VERIFY(driver.steps.empty() && !QApplication::activeModalWidget());
        QCOMPARE(title, QStringLiteral("Choisissez le répertoire pour le diaporama"));
        QCOMPARE(folder->text(), before);

        const QString chosen = m_dir->filePath(QStringLiteral("photos"));
        driver.then([chosen](QWidget *modal) {
            auto *browser = qobject_cast<FolderBrowserDialog *>(modal);
            auto *model = qobject_cast<QFileSystemModel *>(browser->tree()->model());
            browser->tree()->setCurrentIndex(model->index(chosen));
            browser->accept();
        });
        folder->setFocus();
        QTest::keyClick(folder, Qt::Key_F4);
        QTRY_COMPARE(folder->text(), chosen);
    }

    void nextPlaysThePhotosUntilTheUserQuits()
    {
        m_settings->LecteurCarte = m_dir->filePath(QStringLiteral("photos"));
        TforPrincipal mainWindow(m_dir->filePath(QStringLiteral("settings/")));
        mainWindow.params().LecteurCarte = m_settings->LecteurCarte;
        mainWindow.params().Tempo = 1000000;
        QAction *action = mainWindow.findChild<QAction *>(QStringLiteral("actDiaporama"));
        QVERIFY(action->isEnabled());
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

        ModalDriver driver;
        QString playerCaption;
        bool fullScreen = false;
        driver.then([](QWidget *setUp) {
            QVERIFY(qobject_cast<TforParamDiaporama *>(setUp));
            QTest::mouseClick(child<QPushButton>(setUp, "butSuivant"), Qt::LeftButton);
        });
        driver.then([&](QWidget *modal) {
            auto *player = qobject_cast<TforDiaporama *>(modal);
            QVERIFY(player);
            QTRY_VERIFY(player->player().IndicePhoto() == 0 && !player->player().isBusy());
            playerCaption = caption(*player);
            fullScreen = player->isFullScreen() && player->geometry() == player->screen()->geometry();
            QCOMPARE(player->cursor().shape(), Qt::BlankCursor);
            sendKey(player, QEvent::KeyPress, Qt::Key_Escape);
            sendKey(player, QEvent::KeyRelease, Qt::Key_Escape);
        });
        driver.then(ModalDriver::press(QStringLiteral("&Oui")));
        action->trigger();
        QCOMPARE(driver.boxTexts, QStringList{QStringLiteral("Quitter le diaporama ?")});
        QVERIFY(driver.steps.empty());
        QVERIFY(playerCaption.startsWith(QStringLiteral("(Photo 1 / 3) - ") + m_dir->filePath(QStringLiteral("photos/"))));
        QVERIFY(fullScreen);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void anEmptyListOpensNothing()
    {
        QStringList none;
        QCOMPARE(LancerDiaporama(*m_settings, none), int(QDialog::Rejected));
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TforDiaporama *>(w) || !w->isVisible());
    }

    // --- the player ---

    void captionAndPhotoFillTheScreen()
    {
        auto window = openPlayer();
        auto *bar = child<QLabel>(window.get(), "panInfoPhoto");
        QVERIFY(!bar->isVisible()); // AfficherNom is off by default, but the text is kept up to date
        QCOMPARE(bar->text(), QStringLiteral("(Photo 1 / 3) - ") + m_photos[0]);
        auto *area = child<PhotoArea>(window.get(), "imaPhoto");
        QCOMPARE(area->size(), QSize(800, 600));
        QCOMPARE(area->pictureRect(), QRect(5, 0, 789, 600));
        const QImage screen = window->grab().toImage();
        QCOMPARE(screen.pixelColor(2, 300), QColor(Qt::black));
        QCOMPARE(screen.pixelColor(797, 300), QColor(Qt::black));
        QVERIFY(screen.pixelColor(400, 300).blue() > 120);

        QVERIFY(waitForPhoto(*window, [&] { window->player().goToEnd(); }));
        QCOMPARE(bar->text(), QStringLiteral("(Photo 3 / 3) - ") + m_photos[2]);
        QCOMPARE(area->pictureRect(), QRect(0, 0, 800, 600)); // 64 x 48 enlarged

        m_settings->AfficherNom = true;
        auto named = openPlayer();
        QVERIFY(child<QLabel>(named.get(), "panInfoPhoto")->isVisible());
        QCOMPARE(child<PhotoArea>(named.get(), "imaPhoto")->height(), 600 - child<QLabel>(named.get(), "panInfoPhoto")->height());
    }

    void contextMenuEntriesAndStates()
    {
        m_settings->ActiverDiaporama = false;
        auto window = openPlayer();
        QMenu *menu = window->menu();
        QCOMPARE(menu->objectName(), QStringLiteral("pmDiaporama"));
        QCOMPARE(menuLayout(menu), (QStringList{
            "miRotationDroite=Rotation de 90° à droite",
            "miRotationGauche=Rotation de 90° à gauche",
            "miEnregistrerAutomatique=Enregistrer automatiquement les rotations sur disque",
            "-",
            "miRevenirAuDebut=Revenir au début",
            "miPhotoPrecedente=Photo précédente",
            "miPhotoSuivante=Photo suivante",
            "miAllerLaFin=Aller à la fin",
            "-",
            "miEnregistrerBasseQ=Enregistrer une basse résolution",
            "miSupprimerPhoto=Supprimer la photo",
            "-",
            "miDiaporamaAutomatique=Diaporama automatique",
            "-",
            "miQuitterDiaporama=Quitter le diaporama",
        }));
        auto item = [menu](const char *name) { return menu->findChild<QAction *>(QLatin1String(name)); };
        QVERIFY(item("miEnregistrerAutomatique")->isCheckable() && item("miEnregistrerAutomatique")->isChecked());
        QVERIFY(item("miDiaporamaAutomatique")->isCheckable() && !item("miDiaporamaAutomatique")->isChecked());
        QVERIFY(!item("miPhotoPrecedente")->isEnabled());
        QVERIFY(item("miPhotoSuivante")->isEnabled());
        QVERIFY(waitForPhoto(*window, [&] { item("miPhotoSuivante")->trigger(); }));
        QVERIFY(item("miPhotoPrecedente")->isEnabled() && item("miPhotoSuivante")->isEnabled());
        QVERIFY(waitForPhoto(*window, [&] { item("miAllerLaFin")->trigger(); }));
        QVERIFY(item("miPhotoPrecedente")->isEnabled());
        QVERIFY(!item("miPhotoSuivante")->isEnabled());
        for (const char *name : {"miRotationDroite", "miRotationGauche", "miRevenirAuDebut", "miEnregistrerBasseQ",
                                 "miSupprimerPhoto", "miQuitterDiaporama"})
            QVERIFY2(item(name)->isEnabled(), name);
        QVERIFY(waitForPhoto(*window, [&] { item("miRevenirAuDebut")->trigger(); }));
        QCOMPARE(window->player().IndicePhoto(), 0);

        // Ticking the items steers the player.
        item("miDiaporamaAutomatique")->trigger();
        QVERIFY(window->player().autoAdvance());
        item("miEnregistrerAutomatique")->trigger();
        QVERIFY(!window->player().saveRotations());
    }

    void rightClickOpensTheMenuAndHoldsTheTimer()
    {
        auto window = openPlayer();
        auto *area = child<PhotoArea>(window.get(), "imaPhoto");
        QVERIFY(window->player().pacer().isCounting());
        emit area->customContextMenuRequested(QPoint(100, 100));
        QTRY_VERIFY(window->menu()->isVisible());
        QVERIFY(window->player().pacer().isHeld());
        QVERIFY(!window->player().pacer().isCounting());
        window->menu()->close();
        QVERIFY(window->player().pacer().isCounting());

        QVERIFY(waitForPhoto(*window, [&] { QTest::mouseClick(area, Qt::LeftButton); }));
        QCOMPARE(window->player().IndicePhoto(), 1);
    }

    void keysActOnTheirReleaseOnly()
    {
        auto window = openPlayer();
        // A release whose press never came here, an auto-repeated release, a press alone: nothing.
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Right);
        sendKey(window.get(), QEvent::KeyPress, Qt::Key_Right, true);
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Right, true);
        sendKey(window.get(), QEvent::KeyPress, Qt::Key_Left); // at the first photo: nothing either
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Left);
        QTest::qWait(100);
        QCOMPARE(window->player().IndicePhoto(), 0);
        QVERIFY(!window->player().isBusy());

        QVERIFY(waitForPhoto(*window, [&] {
            sendKey(window.get(), QEvent::KeyPress, Qt::Key_Right);
            QCOMPARE(window->player().IndicePhoto(), 0); // not on the press
            sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Right);
        }));
        QCOMPARE(window->player().IndicePhoto(), 1);
        QCOMPARE(caption(*window), QStringLiteral("(Photo 2 / 3) - ") + m_photos[1]);
        QVERIFY(waitForPhoto(*window, [&] {
            sendKey(window.get(), QEvent::KeyPress, Qt::Key_Left);
            sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Left);
        }));
        QCOMPARE(window->player().IndicePhoto(), 0);

        // Down turns right, Up turns left, and the turn shows at once.
        auto *area = child<PhotoArea>(window.get(), "imaPhoto");
        window->player().setSaveRotations(false);
        sendKey(window.get(), QEvent::KeyPress, Qt::Key_Down);
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Down);
        QCOMPARE(area->picture().size(), QSize(456, 600));
        sendKey(window.get(), QEvent::KeyPress, Qt::Key_Up);
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Up);
        QCOMPARE(area->picture().size(), QSize(456, 600));
    }

    // The slideshow runs on behind whatever opens over it: F1 opens no help there, neither over
    // the photos nor over its question, and does nothing to the slideshow.
    void f1DoesNothingInThePlayer()
    {
        Help::KeyFilter helpKey;
        qApp->installEventFilter(&helpKey);
        QStringList helpOpened;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&helpOpened] {
            if (auto *help = qobject_cast<HelpWindow *>(QApplication::activeModalWidget())) {
                helpOpened << help->browser()->source().toString();
                help->reject();
            }
        });
        poll.start(5);

        auto window = openPlayer();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F1);
        QTest::keyClick(child<PhotoArea>(window.get(), "imaPhoto"), Qt::Key_F1);
        QTest::qWait(50);
        QCOMPARE(helpOpened, QStringList());
        QCOMPARE(window->player().IndicePhoto(), 0);
        QVERIFY(!window->player().isBusy());
        QVERIFY(window->player().pacer().isCounting());

        ModalDriver driver;
        driver.then([](QWidget *box) {
            QTest::keyClick(box, Qt::Key_F1);
            ModalDriver::press(QStringLiteral("&Non"))(box);
        });
        sendKey(window.get(), QEvent::KeyPress, Qt::Key_Escape);
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Escape);
        QTRY_COMPARE(driver.boxTexts, QStringList{QStringLiteral("Quitter le diaporama ?")});
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(helpOpened, QStringList());
        QVERIFY(window->isVisible());
        qApp->removeEventFilter(&helpKey);
    }

    void escapeAnsweredNoDoesNotAskAgain()
    {
        auto window = openPlayer();
        ModalDriver driver;
        driver.then([](QWidget *box) {
            // The press answers "&Non"; its release goes to the player afterwards.
            QTest::keyPress(box, Qt::Key_Escape);
        });
        sendKey(window.get(), QEvent::KeyPress, Qt::Key_Escape);
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Escape);
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Escape);
        QTest::qWait(100);
        QCOMPARE(driver.boxTexts, QStringList{QStringLiteral("Quitter le diaporama ?")});
        QVERIFY(window->isVisible());
        QVERIFY(window->player().pacer().isCounting());
    }

    void deleteAsksThenRemovesThePhotoAndItsCopy()
    {
        auto window = openPlayer();
        const QString lowQuality = NomBasseQualite(*m_settings, m_photos[0]);
        EnregistrerBasseQualite(*m_settings, m_photos[0], lowQuality, 0);
        const QString gone = m_photos[0];

        ModalDriver driver;
        driver.then(ModalDriver::press(QStringLiteral("&Non")));
        sendKey(window.get(), QEvent::KeyPress, Qt::Key_Delete);
        sendKey(window.get(), QEvent::KeyRelease, Qt::Key_Delete);
        QVERIFY(QFile::exists(gone));

        driver.then(ModalDriver::press(QStringLiteral("&Oui")));
        QVERIFY(waitForPhoto(*window, [&] {
            window->menu()->findChild<QAction *>(QStringLiteral("miSupprimerPhoto"))->trigger();
        }));
        QCOMPARE(driver.boxTexts, (QStringList{QStringLiteral("Supprimer la photo définitivement ?"),
                                               QStringLiteral("Supprimer la photo définitivement ?")}));
        QVERIFY(!QFile::exists(gone));
        QVERIFY(!QFile::exists(lowQuality));
        QCOMPARE(m_photos.size(), 2);
        QCOMPARE(caption(*window), QStringLiteral("(Photo 1 / 2) - ") + m_photos[0]);
    }

    void aFailingDeleteKeepsThePhoto()
    {
        // A folder named like a photo: it cannot be shown, nor deleted as a file.
        const QString folder = m_dir->filePath(QStringLiteral("photos/dossier.jpg"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/dedans")));
        m_photos = {folder};
        const QString lowQuality = NomBasseQualite(*m_settings, folder);
        QVERIFY(QDir().mkpath(QFileInfo(lowQuality).path()));
        QVERIFY(QFile(lowQuality).open(QIODevice::WriteOnly));
        ModalDriver driver;
        driver.then(ModalDriver::press(QStringLiteral("OK")));
        auto window = openPlayer();
        QCOMPARE(driver.boxTexts.size(), 1);
        QVERIFY(driver.boxTexts[0].startsWith(QStringLiteral("Erreur lors de l'ouverture du fichier ") + folder
                                              + QStringLiteral(".\n")));
        QVERIFY(child<PhotoArea>(window.get(), "imaPhoto")->picture().isNull());
        QVERIFY(window->player().pacer().isCounting()); // the slideshow goes on without it
        driver.then(ModalDriver::press(QStringLiteral("&Oui")));
        driver.then(ModalDriver::press(QStringLiteral("OK")));
        window->player().SupprimerPhoto();
        QTRY_COMPARE(driver.boxTexts.size(), 3);
        QCOMPARE(driver.boxTexts[2], QStringLiteral("Impossible de supprimer le fichier ") + folder + QStringLiteral("."));
        QCOMPARE(m_photos, QStringList{folder});
        QVERIFY(QFile::exists(lowQuality));
        QVERIFY(window->isVisible());
        QVERIFY(window->player().pacer().isCounting());
    }

    void deletingTheOnlyPhotoClosesAndGivesThePointerBack()
    {
        m_photos = m_photos.mid(0, 1);
        auto window = openPlayer();
        QCOMPARE(window->cursor().shape(), Qt::BlankCursor);
        QVERIFY(!QApplication::overrideCursor());
        ModalDriver driver;
        driver.then(ModalDriver::press(QStringLiteral("&Oui")));
        window->player().SupprimerPhoto();
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
        QVERIFY(m_photos.isEmpty());
        QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(window->player().pacer().isShutDown());
    }

    void closingAnyOtherWayStopsThePlayerToo()
    {
        auto window = openPlayer();
        window->close(); // the window manager's close
        QVERIFY(!window->isVisible());
        QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(window->player().isFinished());
        QVERIFY(!window->player().pacer().isCounting());

        m_settings->CacherCurseur = false;
        auto shown = openPlayer();
        QCOMPARE(shown->cursor().shape(), Qt::ArrowCursor);
    }

    void failedTurnAndLowQualitySaveLeaveThePlayerAsBefore()
    {
        auto window = openPlayer();
        auto *area = child<PhotoArea>(window.get(), "imaPhoto");
        const QSize shown = area->picture().size();
        ModalDriver driver;
        driver.then(ModalDriver::press(QStringLiteral("OK")));
        driver.then(ModalDriver::press(QStringLiteral("OK")));
        {
            const TestSupport::FileSizeLimit limit(64);
            window->menu()->findChild<QAction *>(QStringLiteral("miRotationDroite"))->trigger();
            QTRY_COMPARE(driver.boxTexts.size(), 1);
            window->menu()->findChild<QAction *>(QStringLiteral("miEnregistrerBasseQ"))->trigger();
            QTRY_COMPARE(driver.boxTexts.size(), 2);
        }
        QVERIFY(driver.boxTexts[0].startsWith(QStringLiteral("Erreur pendant la rotation sans perte. ")));
        QVERIFY(driver.boxTexts[1].startsWith(QStringLiteral("Erreur pendant la copie du fichier "))
                || driver.boxTexts[1].startsWith(QStringLiteral("Erreur pendant la sauvegarde basse résolution")));
        QCOMPARE(area->picture().size(), shown);
        QVERIFY(!window->player().RotationEnCours());
        QVERIFY(!window->player().isBusy());
        QVERIFY(window->player().pacer().isCounting());
        QVERIFY(waitForPhoto(*window, [&] { window->player().PhotoSuivante(); }));
    }

};

QTEST_MAIN(TestDiaporama)
#include "tst_diaporama.moc"
