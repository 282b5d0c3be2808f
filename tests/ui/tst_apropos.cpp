// The About box: its version line, its links (what they open and what they never open), the
// keys that close it, and "Tester MAJ" against a local server, with the box out of reach of
// the user while the check runs.
#include "core/update/versioncheck.h"
#include "tests/localhttpserver.h"
#include "tests/ui/uisupport.h"
#include "tests/testsupport.h"
#include "tests/ui/modaldriver.h"
#include "update/forapropos.h"
#include "update/linkopener.h"
#include "update/tmgetnewver.h"
#include "update/tmurllabel.h"

#include <QBoxLayout>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using UiSupport::child;

namespace {

QColor textColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

// The texts of the labels on the same line as this one, left to right, as read.
QString lineText(QLabel *first)
{
    const QList<QBoxLayout *> lines = first->parentWidget()->findChildren<QBoxLayout *>();
    for (QBoxLayout *line : lines) {
        if (line->direction() != QBoxLayout::LeftToRight || line->indexOf(first) < 0)
            continue;
        QString text;
        for (int i = 0; i < line->count(); ++i) {
            if (auto *label = qobject_cast<QLabel *>(line->itemAt(i)->widget()))
                text += label->text();
        }
        return text;
    }
    return {};
}

} // namespace

class TestAPropos : public QObject {
    Q_OBJECT

    QList<QUrl> m_opened;
    QTemporaryDir m_dir;

    QString versionFile() const { return m_dir.filePath(QStringLiteral("VersionLMR.txt")); }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        LinkOpener::replace([this](const QUrl &url) {
            m_opened << url;
            return true;
        });
    }
    void init() { m_opened.clear(); }

    void showsTheProgramAndItsVersion()
    {
        TforAPropos box(versionFile());
        QCOMPARE(box.windowTitle(), QStringLiteral("A propos...."));
        // The enciphered line follows the version the build gives the program.
        QCOMPARE(child<QLabel>(&box, "labVersion")->text(), ProgramVersion());
        QCOMPARE(child<QLabel>(&box, "Label3")->text(), QStringLiteral("Freeware"));
        QCOMPARE(child<TmUrlLabel>(&box, "mUrlLabel2")->URL(), QStringLiteral("mailto:contact@lumaro.example"));
        QCOMPARE(child<TmUrlLabel>(&box, "mUrlLabel3")->text(), QStringLiteral("libjpeg-turbo"));
        // The libraries' line reads as one sentence, in the plural.
        QCOMPARE(lineText(child<QLabel>(&box, "Label4")),
                 QStringLiteral("Cette version utilise les bibliothèques libjpeg-turbo, Exiv2 et Qt"));
        QCOMPARE(child<QPushButton>(&box, "butMAJ")->toolTip(),
                 QStringLiteral("Vérifier sur internet si il existe une mise à jour de Lumaro"));
        QCOMPARE(box.check()->TempFile, versionFile());
        QVERIFY(box.check()->AucuneVersionDlg);
    }

    void escapeAndEnterClose()
    {
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            TforAPropos box(versionFile());
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            QTest::keyClick(&box, key);
            QVERIFY(!box.isVisible());
        }
    }

    void linksChangeColourAndOpenOnlyWebAndMail()
    {
        TforAPropos box(versionFile());
        box.show();
        auto *site = child<TmUrlLabel>(&box, "mUrlLabel1");
        const QColor rest = textColour(site);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QApplication::sendEvent(site, &enter);
        QCOMPARE(textColour(site), site->ActiveColor());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(site, &leave);
        QCOMPARE(textColour(site), rest);
        QCOMPARE(site->cursor().shape(), Qt::PointingHandCursor);
        // While the box is disabled (a check running) its links are drawn as disabled text.
        box.setEnabled(false);
        QCOMPARE(textColour(site), box.palette().color(QPalette::Disabled, QPalette::WindowText));
        QVERIFY(textColour(site) != rest);
        box.setEnabled(true);
        QCOMPARE(textColour(site), rest);

        QTest::mouseClick(site, Qt::LeftButton);
        QTest::mouseClick(child<TmUrlLabel>(&box, "mUrlLabel2"), Qt::LeftButton);
        QCOMPARE(m_opened, (QList<QUrl>{QUrl(QStringLiteral("https://lumaro.example/")),
                                        QUrl(QStringLiteral("mailto:contact@lumaro.example"))}));

        m_opened.clear();
        TmUrlLabel label;
        label.resize(200, 20);
        for (const QString &url : {QStringLiteral("file:///usr/bin/xterm"), QStringLiteral("/usr/bin/xterm"),
                                   QStringLiteral("javascript:alert(1)"), QStringLiteral("   ")}) {
            label.setURL(url);
            label.setText(QStringLiteral(" "));
            QTest::mouseClick(&label, Qt::LeftButton);
        }
        QVERIFY(m_opened.isEmpty());
        // No address of its own: the caption is the address.
        label.setURL(QString());
        label.setText(QStringLiteral(" https://exiv2.org/ "));
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(QStringLiteral("https://exiv2.org/"))});
    }

    void testerMajGivesEachOutcome_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("opened");
        const QByteArray newer = LocalHttpServer::answer(
            200, LocalHttpServer::versionFile("999.0.0.1", "https://lumaro.example/telecharger"));
        const QString question = QStringLiteral("Une nouvelle version 999.0.0.1 de ce programme\nest disponible à "
                                                "l'adresse suivante : https://lumaro.example/\nVoulez vous avoir plus "
                                                "d'informations concernant cette mise à jour ?");
        const QString failure = QStringLiteral("Impossible de vérifier la mise à jour de version !\nIl faut être "
                                               "connecté à internet pour vérifier les mises à jour !");
        QTest::newRow("newer, yes") << newer << QStringLiteral("&Oui") << question << true;
        QTest::newRow("newer, no") << newer << QStringLiteral("&Non") << question << false;
        QTest::newRow("up to date")
            << LocalHttpServer::answer(200, LocalHttpServer::versionFile("1.0.0.0", "https://lumaro.example/"))
            << QStringLiteral("OK") << QStringLiteral("La vérification est terminée. Votre version est à jour.") << false;
        QTest::newRow("not found") << LocalHttpServer::answer(404, "") << QStringLiteral("OK") << failure << false;
        QTest::newRow("stalled server") << QByteArray() << QStringLiteral("OK") << failure << false;
        // A connection that works is not put in doubt when something else failed.
        QTest::newRow("newer with a program to run")
            << LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", "file:///usr/bin/xterm"))
            << QStringLiteral("OK")
            << QStringLiteral("Une nouvelle version 999.0.0.1 de ce programme est annoncée,\nmais l'adresse de la "
                              "nouvelle version est invalide.\nVous la trouverez sur le site : https://lumaro.example/")
            << false;
        QTest::newRow("version file cannot be written")
            << newer << QStringLiteral("OK")
            << QStringLiteral("Impossible de vérifier la mise à jour de version !\nLe fichier %1 ne peut pas être écrit.")
            << false;
    }
    void testerMajGivesEachOutcome()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, press);
        QFETCH(QString, box);
        QFETCH(bool, opened);
        LocalHttpServer server;
        if (answer.isEmpty())
            server.stall();
        else
            server.answerWith(answer);
        TforAPropos about(versionFile());
        if (box.contains(QLatin1String("%1"))) {
            // Where the version file goes, a regular file stands instead of a folder.
            QVERIFY(TestSupport::writeFile(m_dir.filePath(QStringLiteral("fichier")), "pas un dossier"));
            about.check()->TempFile = m_dir.filePath(QStringLiteral("fichier/VersionLMR.txt"));
            box = box.arg(about.check()->TempFile);
        }
        about.check()->URLCurrVerFile = server.address();
        about.check()->timeoutMs = 500;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));

        bool lockedWhileRunning = false;
        QTimer during;
        connect(&during, &QTimer::timeout, &about, [&] {
            if (about.check()->running()) {
                about.reject(); // neither Escape nor a close may take the box from under the check
                about.close();
                lockedWhileRunning = !about.isEnabled() && about.isVisible();
                during.stop();
            }
        });
        during.start(0);
        ModalDriver driver;
        driver.then(ModalDriver::press(press));
        QTest::mouseClick(child<QPushButton>(&about, "butMAJ"), Qt::LeftButton);

        QVERIFY(lockedWhileRunning);
        QCOMPARE(driver.boxTexts, QStringList{box});
        QCOMPARE(m_opened, opened ? QList<QUrl>{QUrl(QStringLiteral("https://lumaro.example/telecharger"))} : QList<QUrl>());
        // The box stays open after the check, usable again.
        QVERIFY(about.isVisible());
        QVERIFY(about.isEnabled());
    }
};

QTEST_MAIN(TestAPropos)
#include "tst_apropos.moc"
