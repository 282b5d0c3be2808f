// The common dialogs: message boxes, wait window, folder browser, and the version cipher.
#include "dialogs/choisirrepertoire.h"
#include "dialogs/forficheattente.h"
#include "app/lumaroapplication.h"
#include "dialogs/messages.h"
#include "core/update/cryptertexte.h"
#include "tests/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace {
// Runs the action on the next modal dialog that opens.
void whenModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = nullptr;
        for (int i = 0; i < 200 && !(modal = QApplication::activeModalWidget()); ++i)
            QTest::qWait(10);
        QVERIFY(modal);
        action(modal);
    });
}

struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

BoxSeen inspectAndPress(QWidget *modal, const std::function<void(QMessageBox *)> &press)
{
    BoxSeen seen;
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box)
        return seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton *b : box->buttons())
        seen.buttons << b->text();
    if (box->defaultButton())
        seen.defaultButton = box->defaultButton()->text();
    press(box);
    return seen;
}
} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        QVERIFY(LumaroApplication::installFrenchTranslation(*qApp));
    }

    void errorAndInformationBoxes()
    {
        BoxSeen seen;
        whenModal([&](QWidget *m) { seen = inspectAndPress(m, [](QMessageBox *b) { QTest::keyClick(b, Qt::Key_Return); }); });
        MessageErreur(QStringLiteral("ligne 1\rligne 2\r\nligne 3\nligne 4"));
        QCOMPARE(seen.title, QStringLiteral("Erreur"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(seen.text, QStringLiteral("ligne 1\nligne 2\nligne 3\nligne 4"));

        whenModal([&](QWidget *m) { seen = inspectAndPress(m, [](QMessageBox *b) { QTest::keyClick(b, Qt::Key_Escape); }); });
        MessageInformation(QStringLiteral("fait"));
        QCOMPARE(seen.title, QStringLiteral("Information"));
        QCOMPARE(seen.icon, QMessageBox::Information);
    }

    void confirmationAnswersYesOnlyForYes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Enter takes the default, Oui") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape is Non") << int(Qt::Key_Escape) << false;
        QTest::newRow("button Non") << int(Qt::Key_N) << false;
    }
    void confirmationAnswersYesOnlyForYes()
    {
        QFETCH(int, key);
        QFETCH(bool, expected);
        BoxSeen seen;
        whenModal([&](QWidget *m) {
            seen = inspectAndPress(m, [key](QMessageBox *b) {
                if (key == Qt::Key_N) {
                    for (QAbstractButton *button : b->buttons())
                        if (button->text() == QStringLiteral("&Non"))
                            button->click();
                } else
                    QTest::keyClick(b, Qt::Key(key));
            });
        });
        QCOMPARE(MessageConfirmation(QStringLiteral("Supprimer ?")), expected);
        QCOMPARE(seen.title, QStringLiteral("Confirmation"));
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons.size(), 2);
        QVERIFY(seen.buttons.contains(QStringLiteral("&Oui")) && seen.buttons.contains(QStringLiteral("&Non")));
        QCOMPARE(seen.defaultButton, QStringLiteral("&Oui"));
    }

    void waitWindowFitsItsTextAndIsCentred()
    {
        WaitWindowRef window = AfficherAttente(QStringLiteral("Recherche des photos..."));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Veuillez patienter"));
        QVERIFY(window->isVisible());
        QLabel *message = window->findChild<QLabel *>(QStringLiteral("panMessage"));
        QVERIFY(message && message->font().bold());
        QVERIFY(window->findChild<QWidget *>(QStringLiteral("panImage")));
        const auto expectedWidth = [&](const QString &text) {
            return QFontMetrics(message->font()).horizontalAdvance(text) + 50 + 40;
        };
        const int screenWidth = window->screen()->geometry().width();
        const int shortWidth = window->width();
        QCOMPARE(shortWidth, expectedWidth(QStringLiteral("Recherche des photos...")));
        QCOMPARE(window->x(), (screenWidth - shortWidth) / 2);

        const QString longText = QStringLiteral("Veuillez patienter, enregistrement des extensions supplémenaires...");
        const int top = window->y();
        DefinirMessageAttente(window, QStringLiteral("Veuillez patienter"), longText);
        QCOMPARE(window->width(), expectedWidth(longText));
        QVERIFY(window->width() > shortWidth);
        QCOMPARE(window->x(), (screenWidth - window->width()) / 2);
        QCOMPARE(window->y(), top);

        FermerAttente(window);
        QVERIFY(window.isNull());
        FermerAttente(window); // a cleared reference is harmless
        QVERIFY(window.isNull());
    }

    void folderBrowserStaysInsideItsRoot()
    {
        QTemporaryDir base;
        QVERIFY(QDir(base.path()).mkpath(QStringLiteral("carte/DCIM/100DEMO")));
        QVERIFY(QDir(base.path()).mkpath(QStringLiteral("ailleurs")));
        const QString root = base.path() + QStringLiteral("/carte/");
        FolderBrowserDialog dialog(QStringLiteral("Choisissez le répertoire a ignorer lors du transfert des photos"), root);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Choisissez le répertoire a ignorer lors du transfert des photos"));
        QCOMPARE(dialog.chosenFolder(), base.path() + QStringLiteral("/carte"));
        QTreeView *tree = dialog.tree();
        auto *model = qobject_cast<QFileSystemModel *>(tree->model());
        QTRY_COMPARE(model->rowCount(tree->rootIndex()), 1);
        const QModelIndex dcim = model->index(0, 0, tree->rootIndex());
        QCOMPARE(model->fileName(dcim), QStringLiteral("DCIM"));
        tree->setCurrentIndex(dcim);
        QCOMPARE(dialog.chosenFolder(), base.path() + QStringLiteral("/carte/DCIM"));
        // Walking left and home never leaves the root.
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Left);
        QTest::keyClick(tree, Qt::Key_Left);
        QTest::keyClick(tree, Qt::Key_Home);
        QVERIFY(dialog.chosenFolder().startsWith(base.path() + QStringLiteral("/carte")));
        QVERIFY(!dialog.chosenFolder().contains(QStringLiteral("ailleurs")));

        FolderBrowserDialog whole(QStringLiteral("t"), QString());
        QCOMPARE(whole.rootFolder(), QStringLiteral("/"));
        QCOMPARE(whole.chosenFolder(), QStringLiteral("/"));
    }

    void folderBrowserConfirmAndCancel()
    {
        QTemporaryDir base;
        whenModal([](QWidget *m) { QTest::keyClick(m, Qt::Key_Escape); });
        FolderChoice cancelled = ChoisirRepertoire(QStringLiteral("Choisissez le répertoire pour le diaporama"), base.path());
        QVERIFY(!cancelled.confirmed);
        QVERIFY(cancelled.folder.isEmpty());

        whenModal([](QWidget *m) {
            auto *ok = m->findChild<QPushButton *>(QStringLiteral("butOK"));
            QVERIFY(ok);
            QCOMPARE(m->findChild<QPushButton *>(QStringLiteral("butAnnuler"))->text(), QStringLiteral("Annuler"));
            ok->click();
        });
        FolderChoice chosen = ChoisirRepertoire(QStringLiteral("t"), base.path() + u'/');
        QVERIFY(chosen.confirmed);
        QCOMPARE(chosen.folder, base.path()); // no trailing "/"
    }

    void cipherRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::newRow("version") << QStringLiteral("Lumaro - Version 1.0") << QStringLiteral("k7#Qm!Vz2@pLr9$Tx4&Hn8*Wc5Y");
        QTest::newRow("accents") << QStringLiteral("Février été œuvre €") << QStringLiteral("clé");
        QTest::newRow("key shorter than text") << QStringLiteral("abcdefghijklmnopqrstuvwxyz") << QStringLiteral("K");
        QTest::newRow("high bytes") << QString(QChar(0xFE)) + QStringLiteral("~ \x7f") << QStringLiteral("zz");
        QTest::newRow("empty text") << QString() << QStringLiteral("key");
    }
    void cipherRoundTrips()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        for (int first : {0, 1, 127, 254, 255, -1}) {
            const QString enciphered = CrypterTexte(QStringLiteral("E"), text, key, first);
            QCOMPARE(enciphered.size(), 2 * (text.size() + 1));
            QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(enciphered).hasMatch());
            QCOMPARE(CrypterTexte(QStringLiteral("D"), enciphered, key), text);
        }
    }

    void cipherModesAndRandomStart()
    {
        const QString key = QStringLiteral("abcdefghijklmnopqrstuvwxyz0");
        const QString enciphered = CrypterTexte(QStringLiteral("E"), QStringLiteral("Version"), key);
        QCOMPARE(CrypterTexte(QStringLiteral("d"), enciphered, key), QString());
        QCOMPARE(CrypterTexte(QStringLiteral("e"), QStringLiteral("x"), key), QString());
        QCOMPARE(CrypterTexte(QStringLiteral("X"), QStringLiteral("x"), key), QString());
        // Two encipherings usually differ: the first pair is random.
        QSet<QString> outputs;
        for (int i = 0; i < 8; ++i)
            outputs.insert(CrypterTexte(QStringLiteral("E"), QStringLiteral("Version"), key));
        QVERIFY(outputs.size() > 1);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
