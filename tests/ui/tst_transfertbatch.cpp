// The transfer set-up dialog and the batch window, driven as a user would.
#include "controls/elidedlabel.h"
#include "controls/saisie.h"
#include "controls/saisiebouton.h"
#include "core/settings/paramappli.h"
#include "tests/cardworkspace.h"
#include "tests/ui/uisupport.h"
#include "tests/testsupport.h"
#include "slideshow/fordiaporama.h"
#include "transfer/fortransfertbatch.h"
#include "transfer/fortransfertphase1.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using UiSupport::child;

namespace {

// Answers the modal windows that open while a test runs: each is handed to the first handler
// that wants it; message boxes nobody wants are recorded and closed.
class ModalDriver : public QObject {
public:
    QStringList boxes; // "title|text"
    std::function<bool(QWidget *)> handler;

    ModalDriver()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == m_last)
                return;
            if (handler && handler(modal)) {
                m_last = modal;
                return;
            }
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                boxes << box->windowTitle() + u'|' + box->text();
                m_last = box;
                QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Yes); });
            }
        });
        m_poll.start(5);
    }

private:
    QTimer m_poll;
    QPointer<QWidget> m_last;
};

} // namespace

class TestTransfertBatch : public QObject {
    Q_OBJECT

    CardWorkspace m_work;

    QString path(const QString &relative) const { return m_work.path(relative); }
    QString settingsFile() const { return path(QStringLiteral("settings/Lumaro.ini")); }

    QStringList makeCard(int count)
    {
        m_work.makeCard(count);
        // The camera's previews are not photos to transfer.
        m_work.settings->RepertoireAIgnorer = m_work.card.thumbnailFolder;
        return m_work.card.photos;
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void init()
    {
        m_work.open();
        QDir().mkpath(path(QStringLiteral("settings")));
        m_work.settings->LecteurCarte = path(QStringLiteral("card/"));
        m_work.settings->RepertoirePhoto = path(QStringLiteral("dest/"));
        m_work.settings->Executer = false;
    }

    void cleanup()
    {
        m_work.close();
    }

    void setUpIsLaidOutForItsMode()
    {
        TforTransfertPhase1 batch(*m_work.settings, 1);
        QCOMPARE(batch.windowTitle(), QStringLiteral("Lumaro - Paramétrage du transfert"));
        QCOMPARE(batch.property("helpContext").toInt(), 3);
        QVERIFY(batch.height() >= 288 && batch.width() >= 395);
        batch.show();
        QVERIFY(QTest::qWaitForWindowExposed(&batch));
        for (const char *name : {"cbSeulementLowQ", "cbLowQuality", "cbMiniature"})
            QVERIFY2(child<QCheckBox>(&batch, name)->isVisible(), name);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(&batch, "saiNomPhoto"));
        QVERIFY(child<QPushButton>(&batch, "butSuivant")->isDefault());
        QCOMPARE(child<QPushButton>(&batch, "butAnnuler")->text(), QStringLiteral("&Arrêter"));
        QCOMPARE(child<QPushButton>(&batch, "butFiltre")->text(), QStringLiteral("&Filtrer les photos"));

        // The theme takes letters, digits, blanks and "#", not what would make folders.
        auto *theme = child<TSaisie>(&batch, "saiNomPhoto");
        QTest::keyClicks(theme, QStringLiteral("Noel 2024 #1/../x"));
        QCOMPARE(theme->text(), QStringLiteral("Noel 2024 #1x"));

        TforTransfertPhase1 photo(*m_work.settings, 2);
        QCOMPARE(photo.property("helpContext").toInt(), 4);
        QVERIFY(photo.height() < batch.height());
        photo.show();
        for (const char *name : {"cbSeulementLowQ", "cbLowQuality", "cbMiniature"})
            QVERIFY2(!child<QCheckBox>(&photo, name)->isVisible(), name);
    }

    void onlyLowQualityGreysTheOtherBox()
    {
        m_work.settings->ActiverLowQ = true;
        TforTransfertPhase1 dialog(*m_work.settings, 1);
        auto *only = child<QCheckBox>(&dialog, "cbSeulementLowQ");
        auto *low = child<QCheckBox>(&dialog, "cbLowQuality");
        QVERIFY(low->isChecked() && !only->isChecked());
        only->click();
        QVERIFY(!low->isEnabled() && low->isChecked());
        only->click();
        QVERIFY(low->isEnabled() && low->isChecked());
    }

    void emptyFoldersAreRefused()
    {
        m_work.settings->RepertoirePhoto = QStringLiteral("/"); // what an empty choice is stored as
        TforTransfertPhase1 dialog(*m_work.settings, 1);
        QCOMPARE(child<TSaisieListe>(&dialog, "slRepertoire")->text(), QString());
        dialog.show();
        ModalDriver driver;
        QTest::mouseClick(child<QPushButton>(&dialog, "butSuivant"), Qt::LeftButton);
        QTRY_COMPARE(driver.boxes, QStringList(QStringLiteral("Information|Veuillez saisir un répertoire.")));
        QVERIFY(dialog.isVisible());
        QVERIFY(!QDir(QStringLiteral("/")).exists(QStringLiteral("Histo"))); // nothing was searched
    }

    void noPhotoStillCopiesTheExtraFiles()
    {
        QDir().mkpath(path(QStringLiteral("card/MOVIES")));
        QFile clip(path(QStringLiteral("card/MOVIES/clip.AVI")));
        QVERIFY(clip.open(QIODevice::WriteOnly));
        clip.write("film");
        clip.close();
        m_work.settings->ExtensionSupp = QStringLiteral("AVI");
        m_work.settings->setMiniatureBatch(true);
        TforTransfertPhase1 dialog(*m_work.settings, 1);
        child<QCheckBox>(&dialog, "cbMiniature")->setChecked(false);
        dialog.show();
        ModalDriver driver;
        QTest::mouseClick(child<QPushButton>(&dialog, "butSuivant"), Qt::LeftButton);
        QCOMPARE(driver.boxes, QStringList(QStringLiteral("Information|Aucune photo à transférer !")));
        QVERIFY(QFile::exists(path(QStringLiteral("dest/AVI/clip.AVI"))));
        QVERIFY(!dialog.isVisible());
        // No photo, no batch: the thumbnail choice is not stored.
        QVERIFY(TParamAppli(settingsFile()).MiniatureBatch());
    }

    void enterInTheThemeRunsTheWholeBatch()
    {
        const QStringList photos = makeCard(3);
        m_work.settings->SupprimerPhoto = true;
        m_work.settings->setMiniatureBatch(true);
        TforTransfertPhase1 dialog(*m_work.settings, 1);
        child<QCheckBox>(&dialog, "cbMiniature")->setChecked(false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        ModalDriver driver;
        bool sawWindow = false, setUpLocked = false, stayedOpen = false, laidOut = false, storedFirst = false;
        QStringList progress;
        driver.handler = [&](QWidget *modal) {
            auto *window = qobject_cast<TforTransfertBatch *>(modal);
            if (!window)
                return false;
            sawWindow = true;
            // No close box; thumbnails off: the fixed picture stands in their place.
            laidOut = window->windowTitle() == QStringLiteral("Transfert des photos en mode Batch")
                      && !(window->windowFlags() & Qt::WindowCloseButtonHint)
                      && child<QLabel>(window, "imaCopie")->isVisibleTo(window)
                      && !child<QLabel>(window, "imaPhoto")->isVisibleTo(window);
            // The setting was written before the batch started.
            storedFirst = !TParamAppli(settingsFile()).MiniatureBatch();
            // The set-up dialog is inactive under the batch; nothing closes either window.
            setUpLocked = !child<QPushButton>(&dialog, "butSuivant")->isEnabled()
                          && !child<QPushButton>(&dialog, "butAnnuler")->isEnabled();
            dialog.reject();
            window->reject();
            QTest::keyClick(window, Qt::Key_Escape);
            window->close();
            stayedOpen = window->isVisible() && dialog.isVisible();
            auto *info = child<QLabel>(window, "labInfoTransfert");
            auto *poll = new QTimer(window);
            connect(poll, &QTimer::timeout, window, [info, &progress] {
                if (!info->text().isEmpty() && (progress.isEmpty() || progress.last() != info->text()))
                    progress << info->text();
            });
            poll->start(0);
            return true;
        };
        QTest::keyClicks(child<TSaisie>(&dialog, "saiNomPhoto"), QStringLiteral("Plage"));
        QTest::keyClick(child<TSaisie>(&dialog, "saiNomPhoto"), Qt::Key_Return);

        QVERIFY(sawWindow);
        QVERIFY(laidOut);
        QVERIFY(storedFirst);
        QVERIFY(setUpLocked);
        QVERIFY(stayedOpen);
        QVERIFY(!dialog.isVisible()); // one "Suivant", one transfer
        QVERIFY(driver.boxes.isEmpty());
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last(), QStringLiteral("transfert de la photo 3 sur 3"));
        for (const QString &source : photos)
            QVERIFY(!QFile::exists(source));
        const QStringList written = QDir(path(QStringLiteral("dest"))).entryList({QStringLiteral("*.JPG")});
        QCOMPARE(written.size(), 3);
        for (const QString &name : written)
            QVERIFY(name.contains(QStringLiteral(" - Plage ")));
    }

    void theSlideshowShowsWhatWasWritten()
    {
        QStringList photos = makeCard(2);
        m_work.settings->Executer = true;
        BatchOptions options;
        options.destination = path(QStringLiteral("dest/"));
        TforTransfertBatch window(*m_work.settings, photos, options);
        window.setStartDelay(0);
        ModalDriver driver;
        int shown = 0;
        driver.handler = [&](QWidget *modal) {
            auto *player = qobject_cast<TforDiaporama *>(modal);
            if (!player)
                return false;
            ++shown;
            // The batch window is still open under the slideshow.
            if (window.isVisible())
                QTimer::singleShot(0, player, [player] { player->done(QDialog::Accepted); });
            return true;
        };
        window.exec();
        QCOMPARE(shown, 1);
        QCOMPARE(window.transfer().PhotosTransferees().size(), 2);
    }

    void stopButtonAsksAfterThePhoto()
    {
        QStringList photos = makeCard(3);
        BatchOptions options;
        options.destination = path(QStringLiteral("dest/"));
        TforTransfertBatch window(*m_work.settings, photos, options);
        ModalDriver driver;
        driver.handler = [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return false;
            driver.boxes << box->text();
            // No to the stop question: the batch goes on to its end.
            QTimer::singleShot(0, box, [box] { box->done(QMessageBox::No); });
            return true;
        };
        // The stop button is pressed while the first photo is being processed.
        bool pressed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (window.TraitementLance() && !pressed) {
                pressed = true;
                child<QPushButton>(&window, "butArreter")->click();
            }
        });
        poll.start(0);
        window.exec();
        QVERIFY(window.TraitementLance());
        QCOMPARE(driver.boxes.value(0), QStringLiteral("Confirmez-vous l'arrêt du transfert ?"));
        QCOMPARE(window.transfer().PhotosTransferees().size(), 3);
        QCOMPARE(child<QProgressBar>(&window, "pbGauge")->value(), 3);
        QCOMPARE(child<QProgressBar>(&window, "pbGauge")->maximum(), 3);
        QVERIFY(!child<QLabel>(&window, "labDatePhoto")->text().isEmpty());
        QVERIFY(child<QLabel>(&window, "labDatePhoto")->text().contains(QStringLiteral(" juillet 2024 à ")));
    }

    // Names longer than the group box lose their middle, never their end, and their tooltips
    // hold the whole paths.
    void longNamesAreElidedInTheMiddle()
    {
        QStringList photos = makeCard(1);
        const QString source = QFileInfo(photos[0]).path()
                               + QStringLiteral("/Vacances_en_Bretagne_2024_plage_de_Saint-Malo_avec_toute_la_famille_0001.JPG");
        QVERIFY(QFile::rename(photos[0], source));
        photos[0] = source;
        m_work.settings->MasqueNomPhoto = QStringLiteral("#AAAA-#M-#J - #THEME #N3");
        BatchOptions options;
        options.destination = path(QStringLiteral("dest/"));
        options.theme = QStringLiteral("Anniversaire de Jérémie au bord du lac avec toute la famille");
        TforTransfertBatch window(*m_work.settings, photos, options);
        window.setStartDelay(0);
        ModalDriver driver;
        window.exec();
        QVERIFY(driver.boxes.isEmpty());
        const QStringList written = window.transfer().PhotosTransferees();
        QCOMPARE(written.size(), 1);

        const QList<QPair<const char *, QString>> labels = {{"labNomPhoto", source},
                                                           {"labNomPhotoDestination", written[0]}};
        for (const auto &[objectName, full] : labels) {
            auto *label = child<ElidedLabel>(&window, objectName);
            QVERIFY2(label, objectName);
            const QString fileName = QFileInfo(full).fileName();
            QCOMPARE(label->fullText(), fileName);
            QCOMPARE(label->toolTip(), full);
            const QString shown = label->text();
            QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
            QVERIFY2(shown.startsWith(fileName.left(6)) && shown.endsWith(fileName.right(8)), qPrintable(shown));
            QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->contentsRect().width());
            // Inside the group box, which keeps its designed size.
            QVERIFY(label->mapTo(&window, QPoint(label->width(), 0)).x()
                    <= child<QWidget>(&window, "GroupBox1")->geometry().right());
        }
        QCOMPARE(window.width(), qMax(644, window.minimumSizeHint().width()));
    }
};

QTEST_MAIN(TestTransfertBatch)
#include "tst_transfertbatch.moc"
