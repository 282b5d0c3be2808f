// A camera as the source of the transfer windows, and the card ejected at their end: the set-up
// dialog's source menu with the cameras found (libgphoto2's "Directory Browse" camera serving a
// demo card), the batch window emptying it, a remembered camera that is not plugged in, and
// "Éjecter la carte" against a UDisks2 of python3-dbusmock on a private bus.
#include "controls/saisiebouton.h"
#include "core/devices/cardeject.h"
#include "core/settings/paramappli.h"
#include "core/sources/foldersource.h"
#include "tests/cardworkspace.h"
#include "tests/testsupport.h"
#include "tests/udisks2mock.h"
#include "tests/ui/uisupport.h"
#include "transfer/fortransfertbatch.h"
#include "transfer/fortransfertphase1.h"

#include <QAction>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QtTest>

using UiSupport::child;

namespace {

const QString Python = UDisks2Mock::python();

QString servedUri(const QString &folder)
{
    return QStringLiteral("gphoto2://[disk:%1]/").arg(folder);
}

// Answers every message box that opens with its default button and records "title|text".
class BoxWatcher : public QObject {
public:
    QStringList boxes;
    BoxWatcher()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                if (box == m_last)
                    return;
                m_last = box;
                boxes << box->windowTitle() + u'|' + box->text();
                QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
            }
        });
        m_poll.start(5);
    }

private:
    QTimer m_poll;
    QPointer<QMessageBox> m_last;
};

// With LUMARO_SHOTS set to a folder, the screen as it is now, saved there under NAME.png: how
// the windows are looked at under Xvfb (QT_QPA_PLATFORM=xcb). Nothing otherwise.
void shot(const QString &name)
{
    const QString folder = qEnvironmentVariable("LUMARO_SHOTS");
    if (folder.isEmpty())
        return;
    QCoreApplication::processEvents();
    QGuiApplication::primaryScreen()->grabWindow(0).save(folder + u'/' + name + QStringLiteral(".png"));
}

} // namespace

class TestSourceWindows : public QObject {
    Q_OBJECT

    CardWorkspace m_work;
    QProcess m_busDaemon;
    QString m_address;
    UDisks2Mock m_mock;

    QString path(const QString &relative) const { return m_work.path(relative); }
    QDBusConnection bus() const { return QDBusConnection(QStringLiteral("lumaro-ui-bus")); }

    // A UDisks2 that manages the card as a removable drive; unmountError makes it refuse.
    [[nodiscard]] bool startUDisks2(const QString &mountPoint, const QString &unmountError = QString())
    {
        QJsonObject card{{QStringLiteral("name"), QStringLiteral("sdb1")},
                         {QStringLiteral("drive"), QStringLiteral("Reader")},
                         {QStringLiteral("mountPoint"), mountPoint}};
        if (!unmountError.isEmpty())
            card.insert(QStringLiteral("unmountError"), unmountError);
        return m_mock.start(m_address, bus(), QJsonArray{card});
    }

    void stopUDisks2() { m_mock.stop(); }

    // The card's folder as a mount of its own in the table the eject reads.
    QByteArray mountTable() const
    {
        return "21 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n30 21 8:30 / " + path(QStringLiteral("card")).toUtf8()
               + " rw,relatime shared:9 - vfat /dev/sdb1 rw\n";
    }

    // A batch window on the card's photos, from the card's folder, started at once.
    std::unique_ptr<TforTransfertBatch> cardBatch(QStringList &photos)
    {
        BatchOptions options;
        options.destination = m_work.destination();
        options.thumbnails = false;
        options.source = std::make_shared<FolderSource>(path(QStringLiteral("card")));
        auto window = std::make_unique<TforTransfertBatch>(*m_work.settings, photos, options);
        window->setCardEject(CardEject(bus(), mountTable()));
        window->setStartDelay(0);
        return window;
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        m_busDaemon.start(QStringLiteral("dbus-daemon"),
                          {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY2(m_busDaemon.waitForStarted(), "dbus-daemon is needed (./dev installs it)");
        QVERIFY(m_busDaemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_busDaemon.readLine()).trimmed();
        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("lumaro-ui-bus")).isConnected());
    }

    void cleanupTestCase()
    {
        stopUDisks2();
        QDBusConnection::disconnectFromBus(QStringLiteral("lumaro-ui-bus"));
        m_busDaemon.terminate();
        if (!m_busDaemon.waitForFinished(5000))
            m_busDaemon.kill();
    }

    void init()
    {
        m_work.open();
        m_work.makeCard(4);
        m_work.settings->Repertoire = QStringLiteral("MINIATURES"); // the card's previews
        m_work.settings->SupprimerPhoto = true;
        m_work.settings->Executer = false;
    }

    void cleanup()
    {
        stopUDisks2();
        m_work.close();
    }

    // The source button lists the camera found beside "Autre dossier…"; choosing it and
    // pressing "Suivant" empties the camera through the batch window, and the settings
    // remember it for the next time.
    void setUpDialogEmptiesACameraChosenInItsMenu()
    {
        const QString camera = path(QStringLiteral("card"));
        m_work.settings->ExtensionSupp = QStringLiteral("AVI"); // the card's film, copied after the photos
        TforTransfertPhase1 dialog(*m_work.settings, 1);
        bool detectedAway = false;
        const Qt::HANDLE guiThread = QThread::currentThreadId();
        dialog.setDeviceDetection([&] {
            detectedAway = QThread::currentThreadId() != guiThread;
            DetectedDevice device;
            device.kind = DetectedDevice::Kind::Camera;
            device.model = QStringLiteral("Directory Browse");
            device.port = QStringLiteral("disk:") + camera;
            device.uri = DeviceUri::fromPort(device.port);
            return QList<DetectedDevice>{device};
        });
        dialog.show();
        QVERIFY(QMetaObject::invokeMethod(&dialog, "slLecteurCarteListeClick"));
        QMenu *menu = dialog.sourceMenu();
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QAction *cameraAction = nullptr;
        QTRY_VERIFY((cameraAction = menu->findChild<QAction *>(QStringLiteral("actSource"))) != nullptr);
        QVERIFY(detectedAway);
        shot(QStringLiteral("setup-device-menu"));
        QCOMPARE(cameraAction->text(), QStringLiteral("Appareil : Directory Browse"));
        QStringList captions;
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                captions << action->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("Appareil : Directory Browse"), QStringLiteral("Autre dossier…")}));
        cameraAction->trigger();
        menu->close();
        QCOMPARE(dialog.sourceText(), servedUri(camera));
        QCOMPARE(child<TSaisieListe>(&dialog, "slLecteurCarte")->text(),
                 QStringLiteral("Appareil : Directory Browse (%1)").arg(camera));

        child<TSaisieListe>(&dialog, "slRepertoire")->AffecterTexte(m_work.destination());
        BoxWatcher boxes;
        // The batch window, halfway.
        QTimer during;
        bool shown = false;
        connect(&during, &QTimer::timeout, this, [&] {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (auto *batch = qobject_cast<TforTransfertBatch *>(window))
                    if (!shown && batch->findChild<QProgressBar *>(QStringLiteral("pbGauge"))->value() >= 2) {
                        shown = true;
                        shot(QStringLiteral("batch-emptying-camera"));
                    }
        });
        during.start(1);
        child<QPushButton>(&dialog, "butSuivant")->click();
        during.stop();
        QCOMPARE(boxes.boxes, QStringList());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        for (const QString &photo : m_work.card.photos)
            QVERIFY2(!QFile::exists(photo), qPrintable(photo));
        QCOMPARE(QDir(m_work.destination()).entryList(QDir::Files).size(), m_work.card.photos.size());
        // The extra files too, read from the camera before it is given back.
        QCOMPARE(QDir(m_work.destination() + QStringLiteral("AVI")).entryList(QDir::Files).size(), 1);
        // Offered again next time.
        QCOMPARE(TParamAppli(path(QStringLiteral("settings/Lumaro.ini"))).LecteurCarte, servedUri(camera));
    }

    // A camera remembered but not plugged in: the field names it, and "Suivant" says it is
    // not there, the dialog staying open.
    void aRememberedCameraNotPluggedIn()
    {
        m_work.settings->LecteurCarte = QStringLiteral("gphoto2://Canon_EOS_80D_0123456789/");
        TforTransfertPhase1 dialog(*m_work.settings, 1);
        QCOMPARE(child<TSaisieListe>(&dialog, "slLecteurCarte")->text(), QStringLiteral("Appareil : Canon EOS 80D 0123456789"));
        child<TSaisieListe>(&dialog, "slRepertoire")->AffecterTexte(m_work.destination());
        dialog.show();
        BoxWatcher boxes;
        child<QPushButton>(&dialog, "butSuivant")->click();
        QTRY_COMPARE(boxes.boxes.size(), 1);
        QVERIFY2(boxes.boxes.at(0).contains(QStringLiteral("n'est pas branché")), qPrintable(boxes.boxes.at(0)));
        QVERIFY(dialog.isVisible());
        QVERIFY(child<QPushButton>(&dialog, "butSuivant")->isEnabled());
        for (const QString &photo : m_work.card.photos)
            QVERIFY(QFile::exists(photo));
    }

    // At the end of a batch from a removable card the window offers "Éjecter la carte"; the
    // button ejects it through UDisks2 and the window closes.
    void batchWindowOffersToEjectTheCard()
    {
        QVERIFY(startUDisks2(path(QStringLiteral("card"))));
        QStringList photos = m_work.card.photos;
        const std::unique_ptr<TforTransfertBatch> window = cardBatch(photos);
        auto *eject = child<QPushButton>(window.get(), "butEjecter");
        QVERIFY(!eject->isVisible());
        QSignalSpy finished(window.get(), &QDialog::finished);
        window->QDialog::show();
        QTRY_VERIFY(eject->isVisible() && eject->isEnabled());
        QCOMPARE(eject->text(), QStringLiteral("Éjecter la carte"));
        QCOMPARE(child<QPushButton>(window.get(), "butArreter")->text(), QStringLiteral("Fermer"));
        QCOMPARE(finished.count(), 0);
        shot(QStringLiteral("batch-end-eject"));
        QCOMPARE(photos, QStringList());
        BoxWatcher boxes;
        eject->click();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(boxes.boxes, QStringList());
    }

    // The daemon refuses (a file still open): its words in a message box, and the button
    // stays to try again.
    void aRefusedEjectShowsTheDaemonsWords()
    {
        QVERIFY(startUDisks2(path(QStringLiteral("card")), QStringLiteral("Error unmounting /dev/sdb1: target is busy")));
        QStringList photos = m_work.card.photos;
        const std::unique_ptr<TforTransfertBatch> window = cardBatch(photos);
        auto *eject = child<QPushButton>(window.get(), "butEjecter");
        window->QDialog::show();
        QTRY_VERIFY(eject->isEnabled());
        BoxWatcher boxes;
        eject->click();
        QTRY_COMPARE(boxes.boxes.size(), 1);
        QVERIFY2(boxes.boxes.at(0).endsWith(
                     QStringLiteral("La carte n'a pas pu être éjectée : Error unmounting /dev/sdb1: target is busy")),
                 qPrintable(boxes.boxes.at(0)));
        QVERIFY(window->isVisible());
        QTRY_VERIFY(eject->isEnabled());
        child<QPushButton>(window.get(), "butArreter")->click();
        QTRY_VERIFY(!window->isVisible());
    }

    // With "Éjecter la carte à la fin du transfert" on, the card goes at once and the window
    // closes by itself; a folder UDisks2 does not manage is never offered.
    void ejectSettingEjectsAtOnce()
    {
        QVERIFY(startUDisks2(path(QStringLiteral("card"))));
        m_work.settings->EjecterCarte = true;
        QStringList photos = m_work.card.photos;
        const std::unique_ptr<TforTransfertBatch> window = cardBatch(photos);
        QSignalSpy finished(window.get(), &QDialog::finished);
        window->QDialog::show();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(child<QPushButton>(window.get(), "butEjecter")->text(), QStringLiteral("Carte éjectée"));

        stopUDisks2();
        m_work.makeCard(2);
        QStringList others = m_work.card.photos;
        const std::unique_ptr<TforTransfertBatch> unmanaged = cardBatch(others);
        QSignalSpy closed(unmanaged.get(), &QDialog::finished);
        unmanaged->QDialog::show();
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!child<QPushButton>(unmanaged.get(), "butEjecter")->isEnabled());
    }
};

QTEST_MAIN(TestSourceWindows)
#include "tst_sourcewindows.moc"
