// The filtered edit, the whole-number edit and the edit with a list button, French locale.
#include "controls/saisie.h"
#include "controls/saisiebouton.h"
#include "controls/saisieentier.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <memory>

namespace {

// A window with the field under test, a second field to leave it for and a status panel.
struct Fenetre {
    QWidget fenetre;
    QLineEdit *autre;
    QLabel *panneau;
    bool actif = false;
    explicit Fenetre(TCustomSaisie *champ)
    {
        auto *colonne = new QVBoxLayout(&fenetre);
        // The other field comes first in the tab order, so the window opens with it focused.
        autre = new QLineEdit(&fenetre);
        autre->setObjectName(QStringLiteral("saiAutre"));
        champ->setParent(&fenetre);
        panneau = new QLabel(&fenetre);
        panneau->setObjectName(QStringLiteral("panMsgBas"));
        colonne->addWidget(champ);
        colonne->addWidget(autre);
        colonne->addWidget(panneau);
        fenetre.show();
        QApplication::setActiveWindow(&fenetre);
        actif = QTest::qWaitForWindowActive(&fenetre);
        autre->setFocus(Qt::TabFocusReason);
    }
};

// Runs the action and answers every message box it shows; returns their titles and texts
// ("title|text") and, when asked, their icons.
QStringList messagesDe(const std::function<void()> &action, QList<QMessageBox::Icon> *icones = nullptr)
{
    QStringList textes;
    auto veille = std::make_shared<std::function<void()>>();
    *veille = [&textes, icones, veille] {
        if (auto *boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            textes << boite->windowTitle() + QLatin1Char('|') + boite->text();
            if (icones)
                *icones << boite->icon();
            boite->defaultButton()->click();
        }
        QTimer::singleShot(10, [veille] { (*veille)(); });
    };
    QTimer::singleShot(0, [veille] { (*veille)(); });
    QWidget *fenetre = QApplication::activeWindow();
    action();
    QCoreApplication::processEvents();
    // The offscreen platform does not give the activation back when a box closes.
    if (fenetre && !QApplication::activeWindow()) {
        QApplication::setActiveWindow(fenetre);
        QCoreApplication::processEvents();
    }
    *veille = [] {};
    return textes;
}

// Types the text key by key, characters beyond ASCII included.
void taper(QWidget *champ, const QString &texte)
{
    for (const QChar c : texte) {
        if (c.unicode() < 128) {
            QTest::keyClick(champ, char(c.unicode()));
            continue;
        }
        QKeyEvent appui(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(champ, &appui);
        QKeyEvent relache(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(champ, &relache);
    }
}

// Counts the beeps instead of sounding them.
class EntierCompteBips : public TSaisieEntier {
public:
    int bips = 0;

protected:
    void sonner() override { ++bips; }
};

const QString Plafond60 = QStringLiteral("Avertissement|La valeur doit être inférieure ou égale à 60.");

} // namespace

class TestSaisie : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void caracteresAutorises_data()
    {
        QTest::addColumn<QString>("parametres");
        QTest::addColumn<QString>("acceptes");
        QTest::addColumn<QString>("refuses");
        const QString tous = QStringLiteral("[dfNombre, dfSigne, dfSeparatDec, dfLettreMin, dfLettreMaj, "
                                            "dfLettreAcc, dfEspace, {#},]");
        QTest::newRow("liste complète") << tous << "aZ09 #+-,àçèéêîùû" << "ë/\\.âô!\t";
        QTest::newRow("dfTout") << "dfTout" << "a~{}é€œ\u00a0\u00ff!" << QStringLiteral("\tł\u0001");
        QTest::newRow("dfTout ignore les accolades") << "dfTout, {a}" << "bZ9" << "";
        QTest::newRow("mot prolongé") << "[dfLettreMajus, dfLettreMinus]" << "Abz" << "1 é-";
        QTest::newRow("codes spéciaux") << "[dfCodeSpe]" << "!\"#$%()/" << "&*'a";
        QTest::newRow("accolades inversées") << "[dfNombre] } {xy" << "5" << "xy}{";
        QTest::newRow("accolade vide") << "{}" << "" << "a{}";
        QTest::newRow("aucun mot") << "" << "" << "a1 ";
    }
    void caracteresAutorises()
    {
        QFETCH(QString, parametres);
        QFETCH(QString, acceptes);
        QFETCH(QString, refuses);
        const ParametresSaisie filtre(parametres);
        for (const QChar c : acceptes)
            QVERIFY2(filtre.accepte(c), qPrintable(QStringLiteral("refusé : %1").arg(c)));
        for (const QChar c : refuses)
            QVERIFY2(!filtre.accepte(c), qPrintable(QStringLiteral("accepté : U+%1").arg(c.unicode(), 4, 16)));
        QVERIFY(filtre.accepte(QChar(8))); // backspace always passes
    }

    void frappeFiltree()
    {
        auto *champ = new TSaisie;
        Fenetre f(champ);
        QVERIFY(f.actif);
        champ->setFocus(Qt::TabFocusReason);
        QSignalSpy refus(champ, &TCustomSaisie::invalideChar);
        taper(champ, QStringLiteral("Ab1 cé"));
        QCOMPARE(champ->text(), QStringLiteral("Abc"));
        QCOMPARE(refus.size(), 3);
        QTest::keyClick(champ, Qt::Key_Backspace);
        QCOMPARE(champ->text(), QStringLiteral("Ab"));
        QCOMPARE(refus.size(), 3);

        // A character composed by an input method goes through the same filter.
        QInputMethodEvent compose;
        compose.setCommitString(QStringLiteral("é"));
        QApplication::sendEvent(champ, &compose);
        QCOMPARE(champ->text(), QStringLiteral("Ab"));
        QCOMPARE(refus.size(), 4);
        compose.setCommitString(QStringLiteral("z"));
        QApplication::sendEvent(champ, &compose);
        QCOMPARE(champ->text(), QStringLiteral("Abz"));
        QTest::keyClick(champ, Qt::Key_Backspace);

        // Pasted or assigned text is not filtered, and the paste shortcut still works.
        QApplication::clipboard()->setText(QStringLiteral("9/"));
        QTest::keyClick(champ, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(champ->text(), QStringLiteral("Ab9/"));
        champ->AffecterTexte(QStringLiteral("1 2"));
        QCOMPARE(champ->text(), QStringLiteral("1 2"));
        QCOMPARE(refus.size(), 4);
    }

    void completion_data()
    {
        QTest::addColumn<QString>("parametres");
        QTest::addColumn<int>("longueur");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("droite") << "[dfTout, CompleteDroite, CompCar*]" << 5 << "ab" << "ab***";
        QTest::newRow("gauche") << "[dfNombre, CompleteGauche, CompCar0]" << 3 << "7" << "007";
        QTest::newRow("gauche après le moins") << "CompleteGauche CompCar0" << 4 << "-7" << "-007";
        QTest::newRow("gauche après le plus") << "CompleteGauche CompCar0" << 4 << "+7" << "+007";
        QTest::newRow("la droite l'emporte") << "CompleteGauche CompleteDroite CompCar_" << 3 << "a" << "a__";
        QTest::newRow("vide reste vide") << "CompleteDroite CompCar0" << 3 << "" << "";
        QTest::newRow("sans longueur maximale") << "CompleteDroite CompCar0" << 0 << "ab" << "ab";
        QTest::newRow("déjà complet") << "CompleteDroite CompCar0" << 2 << "ab" << "ab";
        QTest::newRow("sans mot de complétion") << "CompCar0" << 4 << "ab" << "ab";
    }
    void completion()
    {
        QFETCH(QString, parametres);
        QFETCH(int, longueur);
        QFETCH(QString, texte);
        QFETCH(QString, attendu);
        TCustomSaisie champ;
        champ.setParametres(parametres);
        if (longueur > 0)
            champ.setMaxLength(longueur);
        champ.setText(texte);
        QCOMPARE(champ.LireTexte(), attendu);
        champ.setText(QString());
        champ.AffecterTexte(texte);
        QCOMPARE(champ.text(), attendu);
        QCOMPARE(champ.texteEntree(), texte);
    }

    void completionEnQuittant()
    {
        auto *champ = new TCustomSaisie;
        champ->setParametres(QStringLiteral("[dfNombre, CompleteGauche, CompCar0]"));
        champ->setMaxLength(4);
        Fenetre f(champ);
        champ->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(champ, QStringLiteral("42"));
        QCOMPARE(champ->text(), QStringLiteral("42"));
        f.autre->setFocus(Qt::TabFocusReason);
        QCOMPARE(champ->text(), QStringLiteral("0042"));
    }

    void msgBasCouleursEtAlignement()
    {
        auto *champ = new TSaisie;
        champ->setMsgBas(QStringLiteral("Saisissez le thème"));
        champ->setFocusColor(QColor(Qt::yellow));
        champ->setNotEnabledColor(QColor(Qt::darkRed));
        champ->setAlignment(Qt::AlignRight);
        Fenetre f(champ);
        champ->setPanMsgBas(f.panneau);
        QStatusBar barre;
        auto *second = new TSaisie(&f.fenetre);
        second->setPanMsgBas(&barre);
        second->setMsgBas(QStringLiteral("Second"));
        second->show();
        const QColor fondNormal = champ->palette().color(QPalette::Active, QPalette::Base);
        QVERIFY(champ->QLineEdit::alignment() & Qt::AlignRight);

        champ->setText(QStringLiteral("abc"));
        champ->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.panneau->text(), QStringLiteral("Saisissez le thème"));
        QCOMPARE(champ->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::yellow));
        QVERIFY(champ->QLineEdit::alignment() & Qt::AlignLeft);
        QCOMPARE(champ->selectedText(), QStringLiteral("abc"));

        second->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.panneau->text(), QString());
        QCOMPARE(barre.currentMessage(), QStringLiteral("Second"));
        QCOMPARE(champ->palette().color(QPalette::Active, QPalette::Base), fondNormal);
        QVERIFY(champ->QLineEdit::alignment() & Qt::AlignRight);
        f.autre->setFocus(Qt::TabFocusReason);
        QCOMPARE(barre.currentMessage(), QString());

        champ->setEnabled(false);
        QCOMPARE(champ->palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::darkRed));
        QCOMPARE(champ->palette().color(QPalette::Disabled, QPalette::Base),
                 f.fenetre.palette().color(QPalette::Window));
    }

    // --- whole-number edit ---

    void entierPlafond()
    {
        auto *champ = new TSaisieEntier;
        champ->setValeurMax(60);
        Fenetre f(champ);
        champ->setFocus(Qt::TabFocusReason);
        QCOMPARE(champ->Parametres(), QStringLiteral("[dfNombre]"));
        const QStringList frappe = messagesDe([&] { QTest::keyClicks(champ, QStringLiteral("70")); });
        QCOMPARE(frappe, QStringList{Plafond60});
        QCOMPARE(champ->text(), QStringLiteral("7"));
        QCOMPARE(champ->selectedText(), QStringLiteral("7"));

        // A pasted value above the maximum is caught on leaving.
        champ->setText(QStringLiteral("99"));
        const QStringList sortie = messagesDe([&] { f.autre->setFocus(Qt::TabFocusReason); });
        QCOMPARE(sortie, QStringList{Plafond60});
        QCOMPARE(champ->text(), QStringLiteral("0"));
        QCOMPARE(champ->Valeur(), 0);
    }

    void entierEntreeEtSortie_data()
    {
        QTest::addColumn<QString>("avant");
        QTest::addColumn<QString>("enEntrant");
        QTest::addColumn<QString>("apres");
        QTest::newRow("zéros de tête") << "007" << "7" << "7";
        QTest::newRow("vide") << "" << "0" << "0";
        QTest::newRow("que des zéros") << "000" << "0" << "0";
        QTest::newRow("blancs et zéros") << " 0 40" << "40" << "0";
        QTest::newRow("zéros avant un nombre") << "0040" << "40" << "40";
        QTest::newRow("lettres collées") << "abc" << "abc" << "0";
    }
    void entierEntreeEtSortie()
    {
        QFETCH(QString, avant);
        QFETCH(QString, enEntrant);
        QFETCH(QString, apres);
        auto *champ = new TSaisieEntier;
        champ->setValeurMax(60);
        Fenetre f(champ);
        champ->setText(avant);
        champ->setFocus(Qt::TabFocusReason);
        QCOMPARE(champ->text(), enEntrant);
        QCOMPARE(champ->selectedText(), enEntrant);
        // Leaving an unreadable field only beeps: no message.
        champ->setText(avant);
        const QStringList messages = messagesDe([&] { f.autre->setFocus(Qt::TabFocusReason); });
        QCOMPARE(messages, QStringList());
        QCOMPARE(champ->text(), apres);
    }

    void entierMinimumEtEvenements()
    {
        auto *champ = new TSaisieEntier;
        champ->setValeurMax(60);
        champ->setValeurMin(10);
        QCOMPARE(champ->valeurDefaut(), QStringLiteral("10"));
        Fenetre f(champ);
        champ->setFocus(Qt::TabFocusReason);
        champ->setText(QStringLiteral("5"));
        QStringList messages = messagesDe([&] { f.autre->setFocus(Qt::TabFocusReason); });
        QCOMPARE(messages, QStringList{QStringLiteral("Avertissement|La valeur doit être supérieure ou égale à 10.")});
        QCOMPARE(champ->text(), QStringLiteral("10"));

        // Connected handlers replace the messages.
        QSignalSpy max(champ, &TSaisieEntier::depassementMax);
        QSignalSpy min(champ, &TSaisieEntier::depassementMin);
        champ->setFocus(Qt::TabFocusReason);
        messages = messagesDe([&] {
            QTest::keyClicks(champ, QStringLiteral("61"));
            champ->setText(QStringLiteral("3"));
            f.autre->setFocus(Qt::TabFocusReason);
        });
        QCOMPARE(messages, QStringList());
        QCOMPARE(max.size(), 1);
        QCOMPARE(min.size(), 1);
    }

    // The range messages are warnings with one OK button; the beep follows Beep, the simple
    // beep of an unreadable field does not.
    void entierAvertissementsEtBips_data()
    {
        QTest::addColumn<bool>("beep");
        QTest::newRow("Beep") << true;
        QTest::newRow("sans Beep") << false;
    }
    void entierAvertissementsEtBips()
    {
        QFETCH(bool, beep);
        auto *champ = new EntierCompteBips;
        champ->setValeurMax(60);
        champ->setBeep(beep);
        Fenetre f(champ);
        champ->setFocus(Qt::TabFocusReason);
        QList<QMessageBox::Icon> icones;
        QStringList messages = messagesDe([&] { QTest::keyClicks(champ, QStringLiteral("70")); }, &icones);
        QCOMPARE(messages, QStringList{Plafond60});
        QCOMPARE(icones, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QCOMPARE(champ->bips, beep ? 1 : 0);
        QCOMPARE(champ->text(), QStringLiteral("7"));

        champ->setText(QStringLiteral("99"));
        messages = messagesDe([&] { f.autre->setFocus(Qt::TabFocusReason); }, &icones);
        QCOMPARE(messages, QStringList{Plafond60});
        QCOMPARE(champ->bips, beep ? 2 : 0);

        champ->setFocus(Qt::TabFocusReason);
        champ->setText(QString());
        QCOMPARE(messagesDe([&] { f.autre->setFocus(Qt::TabFocusReason); }), QStringList());
        QCOMPARE(champ->bips, beep ? 3 : 1);
        QCOMPARE(icones, (QList<QMessageBox::Icon>{QMessageBox::Warning, QMessageBox::Warning}));
    }

    void entierBornesNegatives()
    {
        TSaisieEntier champ;
        champ.setValeurMin(-5);
        QVERIFY(champ.AutoriseSigne());
        QCOMPARE(champ.Parametres(), QStringLiteral("[dfNombre, dfSigne]"));

        TSaisieEntier autre;
        autre.setValeurMax(-5); // below the minimum 0: ignored
        QCOMPARE(autre.ValeurMax(), 0);
        QVERIFY(!autre.AutoriseSigne());
        autre.setValeurMin(-10);
        autre.setValeurMax(-2);
        QCOMPARE(autre.valeurDefaut(), QStringLiteral("-10"));
        autre.setValeurMin(3); // above the maximum: ignored
        QCOMPARE(autre.ValeurMin(), -10);
    }

    void entierSigne()
    {
        auto *champ = new TSaisieEntier;
        champ->setValeurMin(-10);
        champ->setValeurMax(-2);
        Fenetre f(champ);
        champ->setFocus(Qt::TabFocusReason);
        QSignalSpy refus(champ, &TCustomSaisie::invalideChar);
        champ->setText(QString());
        // Without a minus sign first, a digit is refused with the range message.
        const QStringList messages = messagesDe([&] { QTest::keyClicks(champ, QStringLiteral("5")); });
        QCOMPARE(messages, QStringList{QStringLiteral("Avertissement|La valeur doit être comprise entre -10 et -2.")});
        QTest::keyClicks(champ, QStringLiteral("-5-"));
        QCOMPARE(champ->text(), QStringLiteral("-5"));
        champ->setCursorPosition(0);
        QTest::keyClicks(champ, QStringLiteral("1-"));
        QCOMPARE(champ->text(), QStringLiteral("-5"));
        QCOMPARE(refus.size(), 3);
        // A selected minus may be replaced by a new one.
        champ->selectAll();
        QTest::keyClicks(champ, QStringLiteral("-"));
        QCOMPARE(champ->text(), QStringLiteral("-"));
    }

    void entierSigneEtCompletion()
    {
        TSaisieEntier champ;
        champ.setAutoriseSigne(true);
        champ.setCompleteAuto(true);
        QCOMPARE(champ.Parametres(), QStringLiteral("[dfNombre, dfSigne, CompleteGauche, CompCar0]"));
        champ.setMaxLength(4);
        champ.setText(QStringLiteral("-7"));
        QCOMPARE(champ.LireTexte(), QStringLiteral("-007"));
        QCOMPARE(champ.Valeur(), -7);
        champ.setValeur(12);
        QCOMPARE(champ.text(), QStringLiteral("0012"));
    }

    // Created as a plain number field, a short value keeps its meaning on leaving: a field
    // with a maximum length must not be filled with zeros on the right (5 would read as 50).
    void entierNeCompletePasADroite()
    {
        auto *champ = new TSaisieEntier;
        champ->setValeurMax(99);
        champ->setMaxLength(2);
        Fenetre f(champ);
        champ->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(champ, QStringLiteral("5"));
        f.autre->setFocus(Qt::TabFocusReason);
        QCOMPARE(champ->text(), QStringLiteral("5"));
        QCOMPARE(champ->LireTexte(), QStringLiteral("5"));
    }

    // --- edit with a list button ---

    void listeBoutonEtF4()
    {
        auto *champ = new TSaisieListe;
        Fenetre f(champ);
        QSignalSpy clics(champ, &TSaisieListe::listeClick);
        auto *bouton = champ->findChild<TNewSpeedButton *>(QStringLiteral("sbBouton"));
        QVERIFY(bouton);
        QVERIFY(!bouton->icon().isNull()); // the "BLISTE" glyph is in the resources
        QCOMPARE(bouton->focusPolicy(), Qt::NoFocus);
        QCOMPARE(bouton->width(), 25);
        QVERIFY(bouton->geometry().right() < champ->width());

        QTest::mouseClick(bouton, Qt::LeftButton);
        QCOMPARE(clics.size(), 1);
        QVERIFY(champ->hasFocus());
        QTest::keyClick(champ, Qt::Key_F4);
        QCOMPARE(clics.size(), 2);
        QTest::keyClick(champ, Qt::Key_F4, Qt::ShiftModifier);
        QTest::keyClick(champ, Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(clics.size(), 2);

        champ->setAfficheBouton(false);
        QVERIFY(bouton->isHidden());
        QCOMPARE(champ->textMargins().right(), 2);
        QTest::keyClick(champ, Qt::Key_F4);
        QCOMPARE(clics.size(), 2);
    }
};

QTEST_MAIN(TestSaisie)
#include "tst_saisie.moc"
