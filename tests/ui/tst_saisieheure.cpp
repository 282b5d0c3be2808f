// The time edit, in the 24-hour mode of a French system and in the 12-hour mode.
#include "controls/flechehautbas.h"
#include "controls/saisieheure.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

double heure(int h, int m) { return (h * 60 + m) / 1440.0; }

struct Fenetre {
    QWidget fenetre;
    QLineEdit *autre;
    TSaisieHeure *heure;
    bool actif = false;
    Fenetre()
    {
        auto *colonne = new QVBoxLayout(&fenetre);
        autre = new QLineEdit(&fenetre);
        heure = new TSaisieHeure(&fenetre);
        heure->setObjectName(QStringLiteral("shHeure"));
        colonne->addWidget(autre);
        colonne->addWidget(heure);
        fenetre.show();
        QApplication::setActiveWindow(&fenetre);
        actif = QTest::qWaitForWindowActive(&fenetre);
        heure->setFocus(Qt::TabFocusReason);
    }
};

} // namespace

class TestSaisieHeure : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void creation()
    {
        TSaisieHeure h;
        QVERIFY(h.Format24());
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$")).match(h.text()).hasMatch());
        QCOMPARE(h.width(), 55);
        QVERIFY(h.AfficheFleche());
        h.setAfficheFleche(false);
        QCOMPARE(h.width(), 50);
        QVERIFY(h.findChild<TFlecheHautBas *>(QStringLiteral("udHeure"))->isHidden());
        QCOMPARE(h.textMargins().right(), 2);

        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TSaisieHeure douze;
        QVERIFY(!douze.Format24());
        QVERIFY(douze.displayText().endsWith(QLatin1String(" AM"))
                || douze.displayText().endsWith(QLatin1String(" PM")));
    }

    void ecrireEtLire()
    {
        TSaisieHeure h;
        h.EcrireHeure(38000.75); // the day part is ignored
        QCOMPARE(h.text(), QStringLiteral("18:00"));
        QCOMPARE(h.LireHeure(), 0.75);
        h.EcrireHeure(heure(0, 5));
        QCOMPARE(h.text(), QStringLiteral("00:05"));
        QCOMPARE(h.LireHeure(), heure(0, 5));
        h.setText(QStringLiteral("25:00"));
        QCOMPARE(h.LireHeure(), 0.0);
        h.setText(QStringLiteral("1 :3 "));
        QCOMPARE(h.LireHeure(), heure(1, 3));
    }

    void saisieControlee_data()
    {
        QTest::addColumn<int>("curseur");
        QTest::addColumn<QString>("frappe");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("heures valides") << 0 << "23" << "23:30";
        QTest::newRow("heures 25") << 0 << "25" << "10:30";
        QTest::newRow("heures 24") << 0 << "24" << "10:30";
        QTest::newRow("minutes valides") << 3 << "59" << "10:59";
        QTest::newRow("minutes 75") << 3 << "75" << "10:30";
        QTest::newRow("à travers le séparateur") << 0 << "0745" << "07:45";
        QTest::newRow("heures puis minutes fausses") << 0 << "0899" << "08:30";
    }
    void saisieControlee()
    {
        QFETCH(int, curseur);
        QFETCH(QString, frappe);
        QFETCH(QString, attendu);
        Fenetre f;
        QVERIFY(f.actif);
        f.heure->EcrireHeure(heure(10, 30));
        QStringList vus;
        connect(f.heure, &TSaisieHeure::change, this, [&] { vus << f.heure->text(); });
        f.heure->setCursorPosition(curseur);
        QTest::keyClicks(f.heure, frappe);
        QCOMPARE(f.heure->text(), attendu);
        // The change handler runs after the checks: it never sees an impossible value.
        QVERIFY(!vus.isEmpty());
        QCOMPARE(vus.last(), attendu);
    }

    void frappeSurLesHeuresSelectionnees()
    {
        Fenetre f;
        f.heure->EcrireHeure(heure(10, 30));
        f.heure->setCursorPosition(0);
        f.heure->PasHaut();
        QCOMPARE(f.heure->selectedText(), QStringLiteral("11"));
        QTest::keyClicks(f.heure, QStringLiteral("27"));
        QCOMPARE(f.heure->text(), QStringLiteral("11:30"));
        f.heure->setSelection(0, 2);
        QTest::keyClicks(f.heure, QStringLiteral("21"));
        QCOMPARE(f.heure->text(), QStringLiteral("21:30"));
    }

    void flecheDroiteControleLesHeures()
    {
        Fenetre f;
        f.heure->EcrireHeure(heure(10, 30));
        f.heure->setText(QStringLiteral("25:30"));
        f.heure->setCursorPosition(1);
        QTest::keyClick(f.heure, Qt::Key_Right);
        QCOMPARE(f.heure->text(), QStringLiteral("10:30"));
        f.heure->setText(QStringLiteral("10:61"));
        f.heure->setCursorPosition(3);
        QTest::keyClick(f.heure, Qt::Key_Left);
        QCOMPARE(f.heure->text(), QStringLiteral("10:30"));
    }

    void sortie_data()
    {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("apres");
        QTest::newRow("heure impossible") << "25:00" << "";
        QTest::newRow("minutes impossibles") << "10:60" << "";
        QTest::newRow("chiffres isolés") << "1 :3 " << "01:03";
        QTest::newRow("vide") << "" << "";
        QTest::newRow("sans minutes") << "12:" << "";
    }
    void sortie()
    {
        QFETCH(QString, texte);
        QFETCH(QString, apres);
        Fenetre f;
        f.heure->setText(texte);
        f.autre->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.heure->text() == QLatin1String(":") ? QString() : f.heure->text(), apres);
    }

    void pas_data()
    {
        QTest::addColumn<QString>("depart");
        QTest::addColumn<int>("curseur");
        QTest::addColumn<int>("sens");
        QTest::addColumn<QString>("attendu");
        QTest::addColumn<QString>("selection");
        QTest::newRow("heures 23 +") << "23:15" << 0 << 1 << "00:15" << "00";
        QTest::newRow("heures 00 -") << "00:15" << 1 << -1 << "23:15" << "23";
        QTest::newRow("minutes 59 +") << "10:59" << 3 << 1 << "10:00" << "00";
        QTest::newRow("minutes 00 -") << "10:00" << 5 << -1 << "10:59" << "59";
        QTest::newRow("heures vides") << "  :15" << 0 << 1 << "09:15" << "09";
        QTest::newRow("heure d'un chiffre") << "7 :15" << 0 << 1 << "08:15" << "08";
    }
    void pas()
    {
        QFETCH(QString, depart);
        QFETCH(int, curseur);
        QFETCH(int, sens);
        QFETCH(QString, attendu);
        QFETCH(QString, selection);
        Fenetre f;
        f.heure->EcrireHeure(heure(8, 40)); // the last valid hours: 08
        f.heure->setText(depart);
        f.heure->setCursorPosition(curseur);
        QTest::keyClick(f.heure, sens > 0 ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(f.heure->text(), attendu);
        QCOMPARE(f.heure->selectedText(), selection);

        // The spin button steps the same way, and the field stepped stays the one that moves.
        f.heure->EcrireHeure(heure(8, 40));
        f.heure->setText(depart);
        f.heure->setCursorPosition(curseur);
        auto *fleches = f.heure->findChild<TFlecheHautBas *>(QStringLiteral("udHeure"));
        QToolButton *bouton = sens > 0 ? fleches->boutonHaut() : fleches->boutonBas();
        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(f.heure->text(), attendu);
        QVERIFY(f.heure->hasFocus());
        if (!selection.isEmpty()) {
            QTest::mouseClick(bouton, Qt::LeftButton);
            QVERIFY(f.heure->text() != attendu);
        }
    }

    void effacement()
    {
        Fenetre f;
        f.heure->EcrireHeure(heure(12, 34));
        f.heure->setCursorPosition(0);
        QTest::keyClick(f.heure, Qt::Key_Backspace); // nothing before the caret
        QCOMPARE(f.heure->displayText(), QStringLiteral("12:34"));
        f.heure->setCursorPosition(5);
        QTest::keyClick(f.heure, Qt::Key_Backspace);
        QCOMPARE(f.heure->displayText(), QStringLiteral("12:3 "));
        QCOMPARE(f.heure->cursorPosition(), 4);
        f.heure->setCursorPosition(3);
        QTest::keyClick(f.heure, Qt::Key_Backspace); // the separator is stepped over, not erased
        QCOMPARE(f.heure->displayText(), QStringLiteral("12:3 "));
        QVERIFY(f.heure->cursorPosition() < 3);
        f.heure->setCursorPosition(1);
        QTest::keyClick(f.heure, Qt::Key_Backspace);
        QCOMPARE(f.heure->displayText(), QStringLiteral(" 2:3 "));
        QCOMPARE(f.heure->cursorPosition(), 0);

        // In the 12-hour mode the marker cannot be erased.
        f.heure->ChangerFormat24(false);
        const QString douze = f.heure->displayText();
        f.heure->setCursorPosition(7);
        QTest::keyClick(f.heure, Qt::Key_Backspace);
        QCOMPARE(f.heure->displayText(), douze);
    }

    void modeDouzeHeures_data()
    {
        QTest::addColumn<QString>("depart");
        QTest::addColumn<QString>("douze");
        QTest::newRow("soir") << "18:30" << "06:30 PM";
        QTest::newRow("matin") << "09:05" << "09:05 AM";
        QTest::newRow("minuit") << "00:15" << "12:15 PM";
    }
    void modeDouzeHeures()
    {
        QFETCH(QString, depart);
        QFETCH(QString, douze);
        Fenetre f;
        f.heure->setText(depart);
        QTest::keyClick(f.heure, '/');
        QVERIFY(!f.heure->Format24());
        QCOMPARE(f.heure->displayText(), douze);
        QTest::keyClick(f.heure, '/');
        QVERIFY(f.heure->Format24());
        QCOMPARE(f.heure->text(), depart);
    }

    void pasEnModeDouzeHeures()
    {
        Fenetre f;
        f.heure->setText(QStringLiteral("11:00"));
        f.heure->ChangerFormat24(false);
        QCOMPARE(f.heure->displayText(), QStringLiteral("11:00 AM"));
        f.heure->setCursorPosition(0);
        f.heure->PasHaut();
        QCOMPARE(f.heure->displayText(), QStringLiteral("12:00 AM"));
        f.heure->PasHaut();
        QCOMPARE(f.heure->displayText(), QStringLiteral("01:00 PM"));
        f.heure->PasBas();
        QCOMPARE(f.heure->displayText(), QStringLiteral("12:00 AM"));
        // "+" swaps the marker; in the 24-hour mode it changes nothing.
        QTest::keyClick(f.heure, '+');
        QCOMPARE(f.heure->displayText(), QStringLiteral("12:00 PM"));
        f.heure->ChangerFormat24(true);
        QCOMPARE(f.heure->text(), QStringLiteral("00:00"));
        QTest::keyClick(f.heure, '+');
        QCOMPARE(f.heure->text(), QStringLiteral("00:00"));
        // A written value reads back the same in the 12-hour mode.
        f.heure->ChangerFormat24(false);
        for (const double valeur : {heure(0, 10), heure(12, 10), heure(13, 45), heure(11, 59)}) {
            f.heure->EcrireHeure(valeur);
            QCOMPARE(f.heure->LireHeure(), valeur);
        }
    }
};

QTEST_MAIN(TestSaisieHeure)
#include "tst_saisieheure.moc"
