// The filtered edit, the whole-number edit and the edit with a list button, French locale.
#include "controls/saisie.h"
#include "controls/saisiebouton.h"
#include "controls/saisieentier.h"
#include "tests/testsupport.h"
#include "tests/ui/uisupport.h"

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

using UiSupport::messagesOf;
using UiSupport::typeText;

namespace {

// A window with the field under test, a second field to leave it for and a status panel.
struct Window {
    QWidget window;
    QLineEdit *other;
    QLabel *panel;
    bool active = false;
    explicit Window(TCustomSaisie *field)
    {
        auto *column = new QVBoxLayout(&window);
        // The other field comes first in the tab order, so the window opens with it focused.
        other = new QLineEdit(&window);
        other->setObjectName(QStringLiteral("saiAutre"));
        field->setParent(&window);
        panel = new QLabel(&window);
        panel->setObjectName(QStringLiteral("panMsgBas"));
        column->addWidget(field);
        column->addWidget(other);
        column->addWidget(panel);
        window.show();
        QApplication::setActiveWindow(&window);
        active = QTest::qWaitForWindowActive(&window);
        other->setFocus(Qt::TabFocusReason);
    }
};

// Counts the beeps instead of sounding them.
class IntegerCountingBeeps : public TSaisieEntier {
public:
    int beeps = 0;

protected:
    void beep() override { ++beeps; }
};

const QString Ceiling60 = QStringLiteral("Avertissement|La valeur doit être inférieure ou égale à 60.");

} // namespace

class TestSaisie : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void allowedCharacters_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("accepted");
        QTest::addColumn<QString>("refuses");
        const QString all = QStringLiteral("[dfNombre, dfSigne, dfSeparatDec, dfLettreMin, dfLettreMaj, "
                                            "dfLettreAcc, dfEspace, {#},]");
        QTest::newRow("liste complète") << all << "aZ09 #+-,àçèéêîùû" << "ë/\\.âô!\t";
        QTest::newRow("dfTout") << "dfTout" << "a~{}é€œ\u00a0\u00ff!" << QStringLiteral("\tł\u0001");
        QTest::newRow("dfTout ignore les accolades") << "dfTout, {a}" << "bZ9" << "";
        QTest::newRow("mot prolongé") << "[dfLettreMajus, dfLettreMinus]" << "Abz" << "1 é-";
        QTest::newRow("codes spéciaux") << "[dfCodeSpe]" << "!\"#$%()/" << "&*'a";
        QTest::newRow("accolades inversées") << "[dfNombre] } {xy" << "5" << "xy}{";
        QTest::newRow("accolade vide") << "{}" << "" << "a{}";
        QTest::newRow("aucun mot") << "" << "" << "a1 ";
    }
    void allowedCharacters()
    {
        QFETCH(QString, settings);
        QFETCH(QString, accepted);
        QFETCH(QString, refuses);
        const EditParameters filter(settings);
        for (const QChar c : accepted)
            QVERIFY2(filter.accepts(c), qPrintable(QStringLiteral("refusé : %1").arg(c)));
        for (const QChar c : refuses)
            QVERIFY2(!filter.accepts(c), qPrintable(QStringLiteral("accepté : U+%1").arg(c.unicode(), 4, 16)));
        QVERIFY(filter.accepts(QChar(8))); // backspace always passes
    }

    void filteredTyping()
    {
        auto *field = new TSaisie;
        Window f(field);
        QVERIFY(f.active);
        field->setFocus(Qt::TabFocusReason);
        QSignalSpy refusal(field, &TCustomSaisie::invalideChar);
        typeText(field, QStringLiteral("Ab1 cé"));
        QCOMPARE(field->text(), QStringLiteral("Abc"));
        QCOMPARE(refusal.size(), 3);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), QStringLiteral("Ab"));
        QCOMPARE(refusal.size(), 3);

        // A character composed by an input method goes through the same filter.
        QInputMethodEvent compose;
        compose.setCommitString(QStringLiteral("é"));
        QApplication::sendEvent(field, &compose);
        QCOMPARE(field->text(), QStringLiteral("Ab"));
        QCOMPARE(refusal.size(), 4);
        compose.setCommitString(QStringLiteral("z"));
        QApplication::sendEvent(field, &compose);
        QCOMPARE(field->text(), QStringLiteral("Abz"));
        QTest::keyClick(field, Qt::Key_Backspace);

        // Pasted or assigned text is not filtered, and the paste shortcut still works.
        QApplication::clipboard()->setText(QStringLiteral("9/"));
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("Ab9/"));
        field->AffecterTexte(QStringLiteral("1 2"));
        QCOMPARE(field->text(), QStringLiteral("1 2"));
        QCOMPARE(refusal.size(), 4);
    }

    void completion_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("expected");
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
        QFETCH(QString, settings);
        QFETCH(int, length);
        QFETCH(QString, content);
        QFETCH(QString, expected);
        TCustomSaisie field;
        field.setParametres(settings);
        if (length > 0)
            field.setMaxLength(length);
        field.setText(content);
        QCOMPARE(field.LireTexte(), expected);
        field.setText(QString());
        field.AffecterTexte(content);
        QCOMPARE(field.text(), expected);
        QCOMPARE(field.textOnEntry(), content);
    }

    void completionOnLeaving()
    {
        auto *field = new TCustomSaisie;
        field->setParametres(QStringLiteral("[dfNombre, CompleteGauche, CompCar0]"));
        field->setMaxLength(4);
        Window f(field);
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(field, QStringLiteral("42"));
        QCOMPARE(field->text(), QStringLiteral("42"));
        f.other->setFocus(Qt::TabFocusReason);
        QCOMPARE(field->text(), QStringLiteral("0042"));
    }

    void msgBasColoursAndAlignment()
    {
        auto *field = new TSaisie;
        field->setMsgBas(QStringLiteral("Saisissez le thème"));
        field->setFocusColor(QColor(Qt::yellow));
        field->setNotEnabledColor(QColor(Qt::darkRed));
        field->setAlignment(Qt::AlignRight);
        Window f(field);
        field->setPanMsgBas(f.panel);
        QStatusBar bar;
        auto *second = new TSaisie(&f.window);
        second->setPanMsgBas(&bar);
        second->setMsgBas(QStringLiteral("Second"));
        second->show();
        const QColor normalBackground = field->palette().color(QPalette::Active, QPalette::Base);
        QVERIFY(field->QLineEdit::alignment() & Qt::AlignRight);

        field->setText(QStringLiteral("abc"));
        field->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.panel->text(), QStringLiteral("Saisissez le thème"));
        QCOMPARE(field->palette().color(QPalette::Active, QPalette::Base), QColor(Qt::yellow));
        QVERIFY(field->QLineEdit::alignment() & Qt::AlignLeft);
        QCOMPARE(field->selectedText(), QStringLiteral("abc"));

        second->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.panel->text(), QString());
        QCOMPARE(bar.currentMessage(), QStringLiteral("Second"));
        QCOMPARE(field->palette().color(QPalette::Active, QPalette::Base), normalBackground);
        QVERIFY(field->QLineEdit::alignment() & Qt::AlignRight);
        f.other->setFocus(Qt::TabFocusReason);
        QCOMPARE(bar.currentMessage(), QString());

        field->setEnabled(false);
        QCOMPARE(field->palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::darkRed));
        QCOMPARE(field->palette().color(QPalette::Disabled, QPalette::Base),
                 f.window.palette().color(QPalette::Window));
    }

    // --- whole-number edit ---

    void integerCeiling()
    {
        auto *field = new TSaisieEntier;
        field->setValeurMax(60);
        Window f(field);
        field->setFocus(Qt::TabFocusReason);
        QCOMPARE(field->Parametres(), QStringLiteral("[dfNombre]"));
        const QStringList typing = messagesOf([&] { QTest::keyClicks(field, QStringLiteral("70")); });
        QCOMPARE(typing, QStringList{Ceiling60});
        QCOMPARE(field->text(), QStringLiteral("7"));
        QCOMPARE(field->selectedText(), QStringLiteral("7"));

        // A pasted value above the maximum is caught on leaving.
        field->setText(QStringLiteral("99"));
        const QStringList exit = messagesOf([&] { f.other->setFocus(Qt::TabFocusReason); });
        QCOMPARE(exit, QStringList{Ceiling60});
        QCOMPARE(field->text(), QStringLiteral("0"));
        QCOMPARE(field->Valeur(), 0);
    }

    void integerEnterAndExit_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("onEntry");
        QTest::addColumn<QString>("after");
        QTest::newRow("zéros de tête") << "007" << "7" << "7";
        QTest::newRow("vide") << "" << "0" << "0";
        QTest::newRow("que des zéros") << "000" << "0" << "0";
        QTest::newRow("blancs et zéros") << " 0 40" << "40" << "0";
        QTest::newRow("zéros avant un nombre") << "0040" << "40" << "40";
        QTest::newRow("lettres collées") << "abc" << "abc" << "0";
    }
    void integerEnterAndExit()
    {
        QFETCH(QString, before);
        QFETCH(QString, onEntry);
        QFETCH(QString, after);
        auto *field = new TSaisieEntier;
        field->setValeurMax(60);
        Window f(field);
        field->setText(before);
        field->setFocus(Qt::TabFocusReason);
        QCOMPARE(field->text(), onEntry);
        QCOMPARE(field->selectedText(), onEntry);
        // Leaving an unreadable field only beeps: no message.
        field->setText(before);
        const QStringList messages = messagesOf([&] { f.other->setFocus(Qt::TabFocusReason); });
        QCOMPARE(messages, QStringList());
        QCOMPARE(field->text(), after);
    }

    void integerMinimumAndEvents()
    {
        auto *field = new TSaisieEntier;
        field->setValeurMax(60);
        field->setValeurMin(10);
        QCOMPARE(field->defaultValue(), QStringLiteral("10"));
        Window f(field);
        field->setFocus(Qt::TabFocusReason);
        field->setText(QStringLiteral("5"));
        QStringList messages = messagesOf([&] { f.other->setFocus(Qt::TabFocusReason); });
        QCOMPARE(messages, QStringList{QStringLiteral("Avertissement|La valeur doit être supérieure ou égale à 10.")});
        QCOMPARE(field->text(), QStringLiteral("10"));

        // Connected handlers replace the messages.
        QSignalSpy max(field, &TSaisieEntier::maxExceeded);
        QSignalSpy min(field, &TSaisieEntier::minExceeded);
        field->setFocus(Qt::TabFocusReason);
        messages = messagesOf([&] {
            QTest::keyClicks(field, QStringLiteral("61"));
            field->setText(QStringLiteral("3"));
            f.other->setFocus(Qt::TabFocusReason);
        });
        QCOMPARE(messages, QStringList());
        QCOMPARE(max.size(), 1);
        QCOMPARE(min.size(), 1);
    }

    // The range messages are warnings with one OK button; the beep follows Beep, the simple
    // beep of an unreadable field does not.
    void integerWarningsAndBeeps_data()
    {
        QTest::addColumn<bool>("beep");
        QTest::newRow("Beep") << true;
        QTest::newRow("sans Beep") << false;
    }
    void integerWarningsAndBeeps()
    {
        QFETCH(bool, beep);
        auto *field = new IntegerCountingBeeps;
        field->setValeurMax(60);
        field->setBeep(beep);
        Window f(field);
        field->setFocus(Qt::TabFocusReason);
        QList<QMessageBox::Icon> icons;
        QStringList messages = messagesOf([&] { QTest::keyClicks(field, QStringLiteral("70")); }, &icons);
        QCOMPARE(messages, QStringList{Ceiling60});
        QCOMPARE(icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
        QCOMPARE(field->beeps, beep ? 1 : 0);
        QCOMPARE(field->text(), QStringLiteral("7"));

        field->setText(QStringLiteral("99"));
        messages = messagesOf([&] { f.other->setFocus(Qt::TabFocusReason); }, &icons);
        QCOMPARE(messages, QStringList{Ceiling60});
        QCOMPARE(field->beeps, beep ? 2 : 0);

        field->setFocus(Qt::TabFocusReason);
        field->setText(QString());
        QCOMPARE(messagesOf([&] { f.other->setFocus(Qt::TabFocusReason); }), QStringList());
        QCOMPARE(field->beeps, beep ? 3 : 1);
        QCOMPARE(icons, (QList<QMessageBox::Icon>{QMessageBox::Warning, QMessageBox::Warning}));
    }

    void integerNegativeBounds()
    {
        TSaisieEntier field;
        field.setValeurMin(-5);
        QVERIFY(field.AutoriseSigne());
        QCOMPARE(field.Parametres(), QStringLiteral("[dfNombre, dfSigne]"));

        TSaisieEntier other;
        other.setValeurMax(-5); // below the minimum 0: ignored
        QCOMPARE(other.ValeurMax(), 0);
        QVERIFY(!other.AutoriseSigne());
        other.setValeurMin(-10);
        other.setValeurMax(-2);
        QCOMPARE(other.defaultValue(), QStringLiteral("-10"));
        other.setValeurMin(3); // above the maximum: ignored
        QCOMPARE(other.ValeurMin(), -10);
    }

    void integerSign()
    {
        auto *field = new TSaisieEntier;
        field->setValeurMin(-10);
        field->setValeurMax(-2);
        Window f(field);
        field->setFocus(Qt::TabFocusReason);
        QSignalSpy refusal(field, &TCustomSaisie::invalideChar);
        field->setText(QString());
        // Without a minus sign first, a digit is refused with the range message.
        const QStringList messages = messagesOf([&] { QTest::keyClicks(field, QStringLiteral("5")); });
        QCOMPARE(messages, QStringList{QStringLiteral("Avertissement|La valeur doit être comprise entre -10 et -2.")});
        QTest::keyClicks(field, QStringLiteral("-5-"));
        QCOMPARE(field->text(), QStringLiteral("-5"));
        field->setCursorPosition(0);
        QTest::keyClicks(field, QStringLiteral("1-"));
        QCOMPARE(field->text(), QStringLiteral("-5"));
        QCOMPARE(refusal.size(), 3);
        // A selected minus may be replaced by a new one.
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("-"));
        QCOMPARE(field->text(), QStringLiteral("-"));
    }

    void integerSignAndCompletion()
    {
        TSaisieEntier field;
        field.setAutoriseSigne(true);
        field.setCompleteAuto(true);
        QCOMPARE(field.Parametres(), QStringLiteral("[dfNombre, dfSigne, CompleteGauche, CompCar0]"));
        field.setMaxLength(4);
        field.setText(QStringLiteral("-7"));
        QCOMPARE(field.LireTexte(), QStringLiteral("-007"));
        QCOMPARE(field.Valeur(), -7);
        field.setValeur(12);
        QCOMPARE(field.text(), QStringLiteral("0012"));
    }

    // Created as a plain number field, a short value keeps its meaning on leaving: a field
    // with a maximum length must not be filled with zeros on the right (5 would read as 50).
    void integerDoesNotCompleteOnTheRight()
    {
        auto *field = new TSaisieEntier;
        field->setValeurMax(99);
        field->setMaxLength(2);
        Window f(field);
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(field, QStringLiteral("5"));
        f.other->setFocus(Qt::TabFocusReason);
        QCOMPARE(field->text(), QStringLiteral("5"));
        QCOMPARE(field->LireTexte(), QStringLiteral("5"));
    }

    // --- edit with a list button ---

    void listButtonAndF4()
    {
        auto *field = new TSaisieListe;
        Window f(field);
        QSignalSpy clics(field, &TSaisieListe::listeClick);
        auto *button = field->findChild<TNewSpeedButton *>(QStringLiteral("sbBouton"));
        QVERIFY(button);
        QVERIFY(!button->icon().isNull()); // the "BLISTE" glyph is in the resources
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QCOMPARE(button->width(), 25);
        QVERIFY(button->geometry().right() < field->width());

        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clics.size(), 1);
        QVERIFY(field->hasFocus());
        QTest::keyClick(field, Qt::Key_F4);
        QCOMPARE(clics.size(), 2);
        QTest::keyClick(field, Qt::Key_F4, Qt::ShiftModifier);
        QTest::keyClick(field, Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(clics.size(), 2);

        field->setAfficheBouton(false);
        QVERIFY(button->isHidden());
        QCOMPARE(field->textMargins().right(), 2);
        QTest::keyClick(field, Qt::Key_F4);
        QCOMPARE(clics.size(), 2);
    }
};

QTEST_MAIN(TestSaisie)
#include "tst_saisie.moc"
