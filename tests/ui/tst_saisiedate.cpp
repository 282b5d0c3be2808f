// The date edit and its calendar, with a French locale unless a row says otherwise.
#include "controls/calendrier.h"
#include "controls/flechehautbas.h"
#include "controls/saisiedate.h"
#include "core/exif/datetimevalue.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

// A window holding a date edit and a second field to leave it for.
struct Fenetre {
    QWidget fenetre;
    TSaisieDate *date;
    QLineEdit *autre;
    Fenetre()
    {
        auto *colonne = new QVBoxLayout(&fenetre);
        date = new TSaisieDate(&fenetre);
        date->setObjectName(QStringLiteral("sdDate"));
        autre = new QLineEdit(&fenetre);
        autre->setObjectName(QStringLiteral("saiAutre"));
        colonne->addWidget(date);
        colonne->addWidget(autre);
        fenetre.show();
        QApplication::setActiveWindow(&fenetre);
        actif = QTest::qWaitForWindowActive(&fenetre);
    }
    bool actif = false;
    void entrer() { date->setFocus(Qt::TabFocusReason); }
    void quitter() { autre->setFocus(Qt::TabFocusReason); }
};

QString texteDe(const QDate &jour) { return jour.toString(QStringLiteral("dd/MM/yyyy")); }

// Runs the action while the calendar window is shown modally; `dansCalendrier` answers it.
void avecCalendrier(const std::function<void()> &action,
                    const std::function<void(TforCalendrier *)> &dansCalendrier)
{
    bool vu = false;
    auto attendre = std::make_shared<std::function<void()>>();
    *attendre = [&vu, &dansCalendrier, attendre] {
        auto *fenetre = qobject_cast<TforCalendrier *>(QApplication::activeModalWidget());
        if (!fenetre) {
            QTimer::singleShot(10, [attendre] { (*attendre)(); });
            return;
        }
        vu = true;
        dansCalendrier(fenetre);
    };
    QTimer::singleShot(0, [attendre] { (*attendre)(); });
    action();
    QVERIFY(vu);
    *attendre = [] {};
}

} // namespace

class TestSaisieDate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void ordreDuFormatCourt_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("affichage");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("français") << QLocale(QLocale::French, QLocale::France) << "dd/mm/yyyy" << "31/12/2004";
        QTest::newRow("États-Unis") << QLocale(QLocale::English, QLocale::UnitedStates) << "mm/dd/yyyy" << "12/31/2004";
        QTest::newRow("suédois (ISO)") << QLocale(QLocale::Swedish, QLocale::Sweden) << "yyyy-mm-dd" << "2004-12-31";
        QTest::newRow("allemand") << QLocale(QLocale::German, QLocale::Germany) << "dd.mm.yyyy" << "31.12.2004";
    }
    void ordreDuFormatCourt()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, affichage);
        QFETCH(QString, attendu);
        QLocale::setDefault(locale);
        TSaisieDate date;
        QCOMPARE(date.format().formatAffichage(), affichage);
        date.EcrireDate(DateValue::fromDate(QDate(2004, 12, 31)));
        QCOMPARE(date.text(), attendu);
        QCOMPARE(date.LireDate(), DateValue::fromDate(QDate(2004, 12, 31)));
        // The year-first order takes a four-digit field first.
        const bool anneeDAbord = date.format().ordre() == OrdreDate::AnneeMoisJour;
        QCOMPARE(date.inputMask().startsWith(QLatin1String("0000")), anneeDAbord);
    }

    void creeeAvecAujourdhui()
    {
        TSaisieDate date;
        QCOMPARE(date.text(), texteDe(QDate::currentDate()));
        QCOMPARE(date.Alignment(), Qt::AlignHCenter);
        QVERIFY(date.AfficheFleche());
        QVERIFY(date.AfficheCalend());
    }

    void completionDeLAnnee_data()
    {
        QTest::addColumn<QString>("jour");
        QTest::addColumn<QString>("mois");
        QTest::addColumn<QString>("annee");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("un chiffre") << "31" << "12" << "4" << "31/12/2004";
        QTest::newRow("deux chiffres") << "31" << "12" << "04" << "31/12/2004";
        QTest::newRow("trois chiffres") << "31" << "12" << "104" << "31/12/2104";
        QTest::newRow("vide") << "31" << "12" << "" << "31/12/2004";
        QTest::newRow("complète") << "31" << "12" << "1999" << "31/12/1999";
        QTest::newRow("jour et mois d'un chiffre") << "3" << "1" << "2005" << "03/01/2005";
    }
    void completionDeLAnnee()
    {
        QFETCH(QString, jour);
        QFETCH(QString, mois);
        QFETCH(QString, annee);
        QFETCH(QString, attendu);
        const FormatDate format(OrdreDate::JourMoisAnnee, QLatin1Char('/'));
        QCOMPARE(format.RecomposerDate({jour, mois, annee}, 2004), attendu);
    }

    void saisieAuClavier_data()
    {
        QTest::addColumn<QString>("frappe");
        QTest::addColumn<QString>("apres");
        const int annee = QDate::currentDate().year();
        const QString courte = QString::number(annee / 10) + QLatin1Char('4');
        QTest::newRow("année d'un chiffre") << "31124" << "31/12/" + courte;
        QTest::newRow("jour et mois d'un chiffre") << "3/1/2004" << "03/01/2004";
        QTest::newRow("29 février bissextile") << "29022004" << "29/02/2004";
        QTest::newRow("31 février") << "31022004" << "";
        QTest::newRow("29 février non bissextile") << "29022005" << "";
        QTest::newRow("mois 13") << "01132004" << "";
        QTest::newRow("jour 00") << "00012004" << "";
        QTest::newRow("année 0000") << "01010000" << "";
        QTest::newRow("année absente") << "3112" << "";
    }
    void saisieAuClavier()
    {
        QFETCH(QString, frappe);
        QFETCH(QString, apres);
        Fenetre f;
        QVERIFY(f.actif);
        f.entrer();
        QVERIFY(f.date->hasFocus());
        f.date->selectAll();
        QTest::keyClick(f.date, Qt::Key_Delete);
        f.date->setCursorPosition(0);
        QTest::keyClicks(f.date, frappe);
        f.quitter();
        QCOMPARE(f.date->text().remove(QLatin1Char('/')).isEmpty() ? QString() : f.date->text(), apres);
        const QDate attendue = QDate::fromString(apres, QStringLiteral("dd/MM/yyyy"));
        QCOMPARE(f.date->LireDate(), apres.isEmpty() ? -1.0 : DateValue::fromDate(attendue));
    }

    void champsDUnChiffreAuDepart()
    {
        Fenetre f;
        f.entrer();
        f.date->setText(QStringLiteral("3 /1 /2004"));
        f.quitter();
        QCOMPARE(f.date->text(), QStringLiteral("03/01/2004"));
    }

    void dateVide()
    {
        TSaisieDate date;
        date.EcrireDate(-1.0);
        QCOMPARE(date.displayText().trimmed(), QStringLiteral("/  /"));
        QCOMPARE(date.LireDate(), -1.0);
        date.setText(QStringLiteral("29/12/1899")); // the day before the epoch is no date either
        QCOMPARE(date.LireDate(), -1.0);
        date.EcrireDate(DateValue::fromDate(QDate(2004, 2, 14)) + 0.75);
        QCOMPARE(date.text(), QStringLiteral("14/02/2004"));
        QCOMPARE(date.LireDate(), DateValue::fromDate(QDate(2004, 2, 14)));
    }

    void pasAvecLesFleches_data()
    {
        QTest::addColumn<QString>("depart");
        QTest::addColumn<int>("touche");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("fin d'année") << "31/12/2004" << int(Qt::Key_Up) << "01/01/2005";
        QTest::newRow("début d'année") << "01/01/2005" << int(Qt::Key_Down) << "31/12/2004";
        QTest::newRow("fin de février bissextile") << "28/02/2004" << int(Qt::Key_Up) << "29/02/2004";
        QTest::newRow("début de mars") << "01/03/2005" << int(Qt::Key_Down) << "28/02/2005";
        QTest::newRow("fin de mois de 30") << "30/04/2004" << int(Qt::Key_Up) << "01/05/2004";
        QTest::newRow("vide vers demain") << "" << int(Qt::Key_Up) << texteDe(QDate::currentDate().addDays(1));
        QTest::newRow("impossible vers hier") << "31/02/2004" << int(Qt::Key_Down)
                                              << texteDe(QDate::currentDate().addDays(-1));
    }
    void pasAvecLesFleches()
    {
        QFETCH(QString, depart);
        QFETCH(int, touche);
        QFETCH(QString, attendu);
        Fenetre f;
        f.entrer();
        f.date->setText(depart);
        QSignalSpy changements(f.date, &QLineEdit::textChanged);
        QTest::keyClick(f.date, Qt::Key(touche));
        QCOMPARE(f.date->text(), attendu);
        QVERIFY(!changements.isEmpty());

        // The small arrow buttons step the same way.
        f.date->setText(depart);
        auto *fleches = f.date->findChild<TFlecheHautBas *>(QStringLiteral("udDate"));
        QVERIFY(fleches);
        QTest::mouseClick(touche == Qt::Key_Up ? fleches->boutonHaut() : fleches->boutonBas(),
                          Qt::LeftButton);
        QCOMPARE(f.date->text(), attendu);
    }

    void lectureSeuleNePasPas()
    {
        Fenetre f;
        f.date->setText(QStringLiteral("31/12/2004"));
        f.date->setReadOnly(true);
        f.date->JourSuivant();
        f.date->JourPrecedent();
        QCOMPARE(f.date->text(), QStringLiteral("31/12/2004"));
    }

    void afficheFlecheEtCalend()
    {
        Fenetre f;
        auto *fleches = f.date->findChild<TFlecheHautBas *>(QStringLiteral("udDate"));
        auto *bouton = f.date->findChild<QToolButton *>(QStringLiteral("sbCalendrier"));
        QVERIFY(fleches && bouton);
        QCOMPARE(f.date->textMargins().right(), 35);
        f.date->setAfficheFleche(false);
        QVERIFY(fleches->isHidden());
        QCOMPARE(bouton->width(), 25);
        QCOMPARE(f.date->textMargins().right(), 25);
        f.date->setAfficheCalend(false);
        QVERIFY(bouton->isHidden());
        QCOMPARE(f.date->textMargins().right(), 2);
        // Without the calendar button F4 does nothing (no window opens, the test would hang).
        f.entrer();
        QTest::keyClick(f.date, Qt::Key_F4);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void positionDuCalendrier_data()
    {
        QTest::addColumn<QRect>("champ");
        QTest::addColumn<QPoint>("attendue");
        // Screen 1024 x 768, calendar 203 x 196 (219 with its frame, 191 to its right edge).
        QTest::newRow("au milieu, dessous") << QRect(400, 300, 105, 21) << QPoint(400 + 105 - 191, 321);
        QTest::newRow("en bas, dessus") << QRect(400, 700, 105, 21) << QPoint(314, 700 - 219);
        QTest::newRow("juste assez de place") << QRect(400, 528, 105, 21) << QPoint(314, 549);
        QTest::newRow("un pixel de trop") << QRect(400, 529, 105, 21) << QPoint(314, 529 - 219);
        QTest::newRow("à gauche, aligné sur le champ") << QRect(10, 300, 105, 21) << QPoint(10, 321);
    }
    void positionDuCalendrier()
    {
        QFETCH(QRect, champ);
        QFETCH(QPoint, attendue);
        QCOMPARE(TSaisieDate::positionCalendrier(champ, QRect(0, 0, 1024, 768), QSize(203, 196)), attendue);
    }

    void calendrierOuvertAuDessusEnBasDeLEcran()
    {
        Fenetre f;
        f.date->setFixedWidth(105);
        const QRect ecran = f.fenetre.screen()->geometry();
        f.fenetre.move(ecran.left() + 5, ecran.bottom() - f.fenetre.height() - 5);
        QTRY_VERIFY(f.date->mapToGlobal(QPoint(0, 0)).y() > ecran.bottom() - 150);
        f.date->EcrireDate(DateValue::fromDate(QDate(2004, 12, 31)));
        const int hautDuChamp = f.date->mapToGlobal(QPoint(0, 0)).y();
        const int gaucheDuChamp = f.date->mapToGlobal(QPoint(0, 0)).x();
        QPoint ouverte;
        QDate montree;
        avecCalendrier([&] { QTest::keyClick(f.date, Qt::Key_F4); },
                       [&](TforCalendrier *calendrier) {
                           ouverte = calendrier->pos();
                           auto *mc = calendrier->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"));
                           montree = mc->selectedDate();
                           mc->setSelectedDate(QDate(2005, 1, 15));
                           QTest::mouseClick(calendrier->findChild<QPushButton *>(QStringLiteral("butValider")),
                                             Qt::LeftButton);
                       });
        QCOMPARE(montree, QDate(2004, 12, 31));
        QVERIFY2(ouverte.y() + 196 <= hautDuChamp, "le calendrier doit s'ouvrir au-dessus du champ");
        QCOMPARE(ouverte.x(), gaucheDuChamp); // near the left edge it is aligned on the field
        QCOMPARE(f.date->text(), QStringLiteral("15/01/2005"));
        QCOMPARE(f.date->selectedText(), f.date->text());
    }

    void calendrierFermeSansChanger()
    {
        Fenetre f;
        f.entrer();
        f.date->EcrireDate(-1.0);
        QDate montree;
        avecCalendrier([&] { QTest::mouseClick(f.date->findChild<QToolButton *>(QStringLiteral("sbCalendrier")),
                                               Qt::LeftButton); },
                       [&](TforCalendrier *calendrier) {
                           montree = calendrier->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"))->selectedDate();
                           QTest::mouseClick(calendrier->findChild<QPushButton *>(QStringLiteral("butFermer")),
                                             Qt::LeftButton);
                       });
        QCOMPARE(montree, QDate::currentDate());
        // Closed without a choice: the starting day (today, as the field was empty) is written.
        QCOMPARE(f.date->text(), texteDe(QDate::currentDate()));
    }

    void choisirDateCalendrier()
    {
        double date = DateValue::fromDate(QDate(2004, 2, 14));
        bool confirme = false;
        avecCalendrier([&] { confirme = ChoisirDateCalendrier(50, 60, date); },
                       [&](TforCalendrier *calendrier) {
                           QCOMPARE(calendrier->pos(), QPoint(60, 50));
                           QCOMPARE(calendrier->findChild<QPushButton *>(QStringLiteral("butValider"))->text(),
                                    QStringLiteral("&Valider"));
                           auto *mc = calendrier->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"));
                           mc->setSelectedDate(QDate(2004, 2, 20));
                           emit mc->activated(QDate(2004, 2, 20)); // a double click on a day
                       });
        QVERIFY(confirme);
        QCOMPARE(date, DateValue::fromDate(QDate(2004, 2, 20)));

        avecCalendrier([&] { confirme = ChoisirDateCalendrier(50, 60, date); },
                       [&](TforCalendrier *calendrier) {
                           calendrier->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"))
                               ->setSelectedDate(QDate(2010, 1, 1));
                           QTest::keyClick(calendrier, Qt::Key_Escape);
                       });
        QVERIFY(!confirme);
        QCOMPARE(date, DateValue::fromDate(QDate(2004, 2, 20)));
    }
};

QTEST_MAIN(TestSaisieDate)
#include "tst_saisiedate.moc"
