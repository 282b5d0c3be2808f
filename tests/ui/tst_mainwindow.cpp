// The main window, its command line and the help.
#include "app/commandline.h"
#include "app/forprincipal.h"
#include "dialogs/helpwindow.h"
#include "app/lancertransfert.h"
#include "app/lumaroapplication.h"
#include "controls/saisiebouton.h"
#include "transfer/fortransfertphase1.h"
#include "core/error.h"
#include "core/settings/paramappli.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {
// What the next modal window showed: a message box's title and text, or a help page's file name.
std::shared_ptr<QString> g_seen;
// Polls without blocking, so that it also works when the box opens inside a nested event loop.
void expectModal()
{
    g_seen = std::make_shared<QString>();
    auto seen = g_seen;
    auto *poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [seen, poll, tries] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++*tries > 500)
                poll->deleteLater();
            return;
        }
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            *seen = box->windowTitle() + u'|' + box->text();
        else if (auto *help = qobject_cast<HelpWindow *>(modal))
            *seen = help->browser()->source().fileName();
        poll->stop();
        poll->deleteLater();
        modal->close();
    });
    poll->start(10);
}
QString lastSeen()
{
    return g_seen ? *g_seen : QString();
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_settings;
    QString folder() const { return m_settings.path() + u'/'; }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
    }

    void layoutAndActions()
    {
        TforPrincipal window(folder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Lumaro"));
        QCOMPARE(window.property("helpContext").toInt(), 2);
        QVERIFY(window.width() >= 416 && window.height() >= 255);
        QCOMPARE(window.minimumSize(), window.maximumSize()); // fixed size

        auto *options = window.findChild<QToolBar *>(QStringLiteral("atbOptions"));
        auto *bottom = window.findChild<QToolBar *>(QStringLiteral("atbBoutonsBas"));
        QVERIFY(options && bottom);
        QCOMPARE(options->orientation(), Qt::Vertical);
        QCOMPARE(bottom->orientation(), Qt::Horizontal);
        QStringList captions;
        for (QAction *a : options->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions, (QStringList{"&Mode Batch", "M&ode Photo/Photo", "-", "&Diaporama", "-", "&Paramétrage"}));
        captions.clear();
        for (QAction *a : bottom->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"&A Propos", "A&ide", "&Quitter"}));

        // Every button shows its whole caption and its 32-pixel icon: nothing folded away or cut.
        for (QToolBar *bar : {options, bottom}) {
            QCOMPARE(bar->iconSize(), QSize(32, 32));
            for (QAction *a : bar->actions()) {
                if (a->isSeparator())
                    continue;
                auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(a));
                QVERIFY(button && button->isVisible());
                QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(a->text()));
                QVERIFY(!a->icon().isNull());
            }
        }
        QCOMPARE(window.findChild<QAction *>(QStringLiteral("actAide"))->isEnabled(), true);
        QCOMPARE(window.findChild<QAction *>(QStringLiteral("actQuitter"))->isEnabled(), true);
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Lumaro"));
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("Lumaro"));
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("labInfoVersion"))->text(), QStringLiteral("Lumaro - Version 1.0"));
    }

    void hintsShowInThePanelNotAsToolTips()
    {
        TforPrincipal window(folder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *hint = window.findChild<QLabel *>(QStringLiteral("labHint"));
        QVERIFY(hint);
        QVERIFY(hint->text().contains(QStringLiteral("transférer facilement")));
        QCOMPARE(hint->text(), TforPrincipal::initialText());

        auto *options = window.findChild<QToolBar *>(QStringLiteral("atbOptions"));
        QAction *batch = window.findChild<QAction *>(QStringLiteral("actModebatch"));
        QWidget *button = options->widgetForAction(batch);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(button, &enter);
        QCOMPARE(hint->text(), QStringLiteral("Permet de traiter les photos présentes sur le lecteur en une fois suivant un "
                                              "paramétrage identique pour chaque photo"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        QCOMPARE(hint->text(), TforPrincipal::idleText());
        QVERIFY(hint->text().contains(QStringLiteral("transférez")) && hint->text().contains(QStringLiteral("Nommez")));

        QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QObject &filter = window; // the window filters its buttons' events
        QVERIFY(filter.eventFilter(button, &tip)); // tool tips are eaten
    }

    void commandLineIsParsed_data()
    {
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("mode");
        QTest::newRow("none") << QStringList() << int(LaunchCommand::Action::None) << 0;
        QTest::newRow("/auto lower case") << QStringList{"/auto", "/media/carte"} << int(LaunchCommand::Action::Transfer) << 1;
        QTest::newRow("/Manu") << QStringList{"/Manu", "/media/carte/"} << int(LaunchCommand::Action::Transfer) << 2;
        QTest::newRow("/AUTO alone") << QStringList{"/AUTO"} << int(LaunchCommand::Action::Usage) << 0;
        QTest::newRow("three parameters") << QStringList{"/AUTO", "a", "b"} << int(LaunchCommand::Action::Usage) << 0;
        QTest::newRow("/COPY") << QStringList{"/COPY", "x"} << int(LaunchCommand::Action::Usage) << 0;
        QTest::newRow("path first") << QStringList{"/media/carte", "/AUTO"} << int(LaunchCommand::Action::Usage) << 0;
    }
    void commandLineIsParsed()
    {
        QFETCH(QStringList, parameters);
        QFETCH(int, action);
        QFETCH(int, mode);
        const LaunchCommand command = parseCommandLine(parameters);
        QCOMPARE(int(command.action), action);
        QCOMPARE(command.mode, mode);
        if (command.action == LaunchCommand::Action::Transfer)
            QCOMPARE(command.path, parameters.at(1));
    }

    void usageMessageIsShownForAWrongCommandLine()
    {
        const QStringList lines = messageUsage().split(u'\r');
        QCOMPARE(lines.size(), 6);
        QVERIFY(!messageUsage().contains(u'\n'));
        QCOMPARE(lines.at(0), QStringLiteral("Pour lancer l'application avec des paramètres, il faut utiliser la syntaxe suivante : "));
        QCOMPARE(lines.at(3), QStringLiteral("Ces 2 paramètres sont obligatoires."));
        QVERIFY(lines.at(4).isEmpty());

        TforPrincipal window(folder());
        expectModal();
        window.readCommandLine({QStringLiteral("/COPY"), QStringLiteral("x")});
        QCOMPARE(lastSeen(), QStringLiteral("Erreur|") + QString(messageUsage()).replace(u'\r', u'\n'));
    }

    void missingCommandLinePathIsReported()
    {
        TforPrincipal window(folder());
        expectModal();
        // After the message the set-up dialog opens all the same, with the settings' source.
        QString source;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *dialog = qobject_cast<TforTransfertPhase1 *>(QApplication::activeModalWidget())) {
                source = dialog->findChild<TSaisieListe *>(QStringLiteral("slLecteurCarte"))->text();
                dialog->reject();
            }
        });
        poll.start(10);
        window.readCommandLine({QStringLiteral("/auto"), QStringLiteral("/no/such/folder")});
        QCOMPARE(lastSeen(), QStringLiteral("Erreur|Le chemin passé en paramètre /no/such/folder n'existe pas."));
        QCOMPARE(source, window.params().LecteurCarte);

        // An existing folder becomes the source with its trailing "/"; a missing one keeps the settings'.
        QTemporaryDir card;
        QCOMPARE(transferSource(window.params(), card.path()), card.path() + u'/');
        QCOMPARE(transferSource(window.params(), card.path() + u'/'), card.path() + u'/');
        expectModal();
        QCOMPARE(transferSource(window.params(), QStringLiteral("/no/such")), window.params().LecteurCarte);

        // What the desktop hands over (%U): a card as a file:// address, percent-decoded to
        // its path; a camera's or phone's address as it is, looked for when the search starts.
        QVERIFY(QDir(card.path()).mkdir(QStringLiteral("CARTE SD")));
        QCOMPARE(transferSource(window.params(), QStringLiteral("file://") + card.path() + QStringLiteral("/CARTE%20SD")),
                 card.path() + QStringLiteral("/CARTE SD/"));
        QCOMPARE(transferSource(window.params(), QStringLiteral("gphoto2://[usb:002,005]/")),
                 QStringLiteral("gphoto2://[usb:002,005]/"));
        QCOMPARE(transferSource(window.params(), QStringLiteral("mtp://Google_Pixel_7/")), QStringLiteral("mtp://Google_Pixel_7/"));
        expectModal();
        QCOMPARE(transferSource(window.params(), QStringLiteral("file:///no/such")), window.params().LecteurCarte);
    }

    void helpOpensAtTheRightTopic()
    {
        TforPrincipal window(folder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        expectModal();
        window.findChild<QAction *>(QStringLiteral("actAide"))->trigger();
        QCOMPARE(lastSeen(), QStringLiteral("index.html"));

        // F1 opens the topic of the active window.
        LumaroApplication::setActiveWindow(&window);
        expectModal();
        QTest::keyClick(&window, Qt::Key_F1);
        QCOMPARE(lastSeen(), QStringLiteral("principal.html"));
    }

    void uncaughtErrorsAreShownAndTheProgramGoesOn()
    {
        expectModal();
        QTimer::singleShot(20, [] { throw LumaroError(QStringLiteral("Impossible d'écrire dans /x/Lumaro.ini")); });
        QTRY_COMPARE(lastSeen(), QStringLiteral("Erreur|Impossible d'écrire dans /x/Lumaro.ini"));
        bool later = false;
        QTimer::singleShot(0, [&later] { later = true; });
        QTRY_VERIFY(later);
    }

    void quitterClosesTheWindow()
    {
        TforPrincipal window(folder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QAction *>(QStringLiteral("actQuitter"))->trigger();
        QVERIFY(!window.isVisible());
    }
};

int main(int argc, char *argv[])
{
    // The program's own application object, so that F1 and the French buttons behave as they do for users.
    LumaroApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mainwindow.moc"
