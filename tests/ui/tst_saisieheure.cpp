// The time edit, in the 24-hour mode of a French system and in the 12-hour mode.
#include "controls/updownarrows.h"
#include "controls/saisieheure.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

double hour(int h, int m) { return (h * 60 + m) / 1440.0; }

struct Window {
    QWidget window;
    QLineEdit *other;
    TSaisieHeure *hour;
    bool active = false;
    Window()
    {
        auto *column = new QVBoxLayout(&window);
        other = new QLineEdit(&window);
        hour = new TSaisieHeure(&window);
        hour->setObjectName(QStringLiteral("shHeure"));
        column->addWidget(other);
        column->addWidget(hour);
        window.show();
        QApplication::setActiveWindow(&window);
        active = QTest::qWaitForWindowActive(&window);
        hour->setFocus(Qt::TabFocusReason);
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
        QVERIFY(h.findChild<UpDownArrows *>(QStringLiteral("udHeure"))->isHidden());
        QCOMPARE(h.textMargins().right(), 2);

        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TSaisieHeure twelve;
        QVERIFY(!twelve.Format24());
        QVERIFY(twelve.displayText().endsWith(QLatin1String(" AM"))
                || twelve.displayText().endsWith(QLatin1String(" PM")));
    }

    void writeAndRead()
    {
        TSaisieHeure h;
        h.EcrireHeure(38000.75); // the day part is ignored
        QCOMPARE(h.text(), QStringLiteral("18:00"));
        QCOMPARE(h.LireHeure(), 0.75);
        h.EcrireHeure(hour(0, 5));
        QCOMPARE(h.text(), QStringLiteral("00:05"));
        QCOMPARE(h.LireHeure(), hour(0, 5));
        h.setText(QStringLiteral("25:00"));
        QCOMPARE(h.LireHeure(), 0.0);
        h.setText(QStringLiteral("1 :3 "));
        QCOMPARE(h.LireHeure(), hour(1, 3));
    }

    void checkedTyping_data()
    {
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("typing");
        QTest::addColumn<QString>("expected");
        QTest::newRow("heures valides") << 0 << "23" << "23:30";
        QTest::newRow("heures 25") << 0 << "25" << "10:30";
        QTest::newRow("heures 24") << 0 << "24" << "10:30";
        QTest::newRow("minutes valides") << 3 << "59" << "10:59";
        QTest::newRow("minutes 75") << 3 << "75" << "10:30";
        QTest::newRow("à travers le séparateur") << 0 << "0745" << "07:45";
        QTest::newRow("heures puis minutes fausses") << 0 << "0899" << "08:30";
    }
    void checkedTyping()
    {
        QFETCH(int, cursor);
        QFETCH(QString, typing);
        QFETCH(QString, expected);
        Window f;
        QVERIFY(f.active);
        f.hour->EcrireHeure(hour(10, 30));
        QStringList seen;
        connect(f.hour, &TSaisieHeure::change, this, [&] { seen << f.hour->text(); });
        f.hour->setCursorPosition(cursor);
        QTest::keyClicks(f.hour, typing);
        QCOMPARE(f.hour->text(), expected);
        // The change handler runs after the checks: it never sees an impossible value.
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.last(), expected);
    }

    void typingOverSelectedHours()
    {
        Window f;
        f.hour->EcrireHeure(hour(10, 30));
        f.hour->setCursorPosition(0);
        f.hour->stepUp();
        QCOMPARE(f.hour->selectedText(), QStringLiteral("11"));
        QTest::keyClicks(f.hour, QStringLiteral("27"));
        QCOMPARE(f.hour->text(), QStringLiteral("11:30"));
        f.hour->setSelection(0, 2);
        QTest::keyClicks(f.hour, QStringLiteral("21"));
        QCOMPARE(f.hour->text(), QStringLiteral("21:30"));
    }

    void rightArrowChecksTheHours()
    {
        Window f;
        f.hour->EcrireHeure(hour(10, 30));
        f.hour->setText(QStringLiteral("25:30"));
        f.hour->setCursorPosition(1);
        QTest::keyClick(f.hour, Qt::Key_Right);
        QCOMPARE(f.hour->text(), QStringLiteral("10:30"));
        f.hour->setText(QStringLiteral("10:61"));
        f.hour->setCursorPosition(3);
        QTest::keyClick(f.hour, Qt::Key_Left);
        QCOMPARE(f.hour->text(), QStringLiteral("10:30"));
    }

    void exit_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("after");
        QTest::newRow("heure impossible") << "25:00" << "";
        QTest::newRow("minutes impossibles") << "10:60" << "";
        QTest::newRow("chiffres isolés") << "1 :3 " << "01:03";
        QTest::newRow("vide") << "" << "";
        QTest::newRow("sans minutes") << "12:" << "";
    }
    void exit()
    {
        QFETCH(QString, content);
        QFETCH(QString, after);
        Window f;
        f.hour->setText(content);
        f.other->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.hour->text() == QLatin1String(":") ? QString() : f.hour->text(), after);
    }

    void step_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("selection");
        QTest::newRow("heures 23 +") << "23:15" << 0 << 1 << "00:15" << "00";
        QTest::newRow("heures 00 -") << "00:15" << 1 << -1 << "23:15" << "23";
        QTest::newRow("minutes 59 +") << "10:59" << 3 << 1 << "10:00" << "00";
        QTest::newRow("minutes 00 -") << "10:00" << 5 << -1 << "10:59" << "59";
        QTest::newRow("heures vides") << "  :15" << 0 << 1 << "09:15" << "09";
        QTest::newRow("heure d'un chiffre") << "7 :15" << 0 << 1 << "08:15" << "08";
    }
    void step()
    {
        QFETCH(QString, start);
        QFETCH(int, cursor);
        QFETCH(int, direction);
        QFETCH(QString, expected);
        QFETCH(QString, selection);
        Window f;
        f.hour->EcrireHeure(hour(8, 40)); // the last valid hours: 08
        f.hour->setText(start);
        f.hour->setCursorPosition(cursor);
        QTest::keyClick(f.hour, direction > 0 ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(f.hour->text(), expected);
        QCOMPARE(f.hour->selectedText(), selection);

        // The spin button steps the same way, and the field stepped stays the one that moves.
        f.hour->EcrireHeure(hour(8, 40));
        f.hour->setText(start);
        f.hour->setCursorPosition(cursor);
        auto *arrows = f.hour->findChild<UpDownArrows *>(QStringLiteral("udHeure"));
        QToolButton *button = direction > 0 ? arrows->upButton() : arrows->downButton();
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.hour->text(), expected);
        QVERIFY(f.hour->hasFocus());
        if (!selection.isEmpty()) {
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(f.hour->text() != expected);
        }
    }

    void erasing()
    {
        Window f;
        f.hour->EcrireHeure(hour(12, 34));
        f.hour->setCursorPosition(0);
        QTest::keyClick(f.hour, Qt::Key_Backspace); // nothing before the caret
        QCOMPARE(f.hour->displayText(), QStringLiteral("12:34"));
        f.hour->setCursorPosition(5);
        QTest::keyClick(f.hour, Qt::Key_Backspace);
        QCOMPARE(f.hour->displayText(), QStringLiteral("12:3 "));
        QCOMPARE(f.hour->cursorPosition(), 4);
        f.hour->setCursorPosition(3);
        QTest::keyClick(f.hour, Qt::Key_Backspace); // the separator is stepped over, not erased
        QCOMPARE(f.hour->displayText(), QStringLiteral("12:3 "));
        QVERIFY(f.hour->cursorPosition() < 3);
        f.hour->setCursorPosition(1);
        QTest::keyClick(f.hour, Qt::Key_Backspace);
        QCOMPARE(f.hour->displayText(), QStringLiteral(" 2:3 "));
        QCOMPARE(f.hour->cursorPosition(), 0);

        // In the 12-hour mode the marker cannot be erased.
        f.hour->ChangerFormat24(false);
        const QString twelve = f.hour->displayText();
        f.hour->setCursorPosition(7);
        QTest::keyClick(f.hour, Qt::Key_Backspace);
        QCOMPARE(f.hour->displayText(), twelve);
    }

    void twelveHourMode_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("twelve");
        QTest::newRow("soir") << "18:30" << "06:30 PM";
        QTest::newRow("matin") << "09:05" << "09:05 AM";
        QTest::newRow("minuit") << "00:15" << "12:15 PM";
    }
    void twelveHourMode()
    {
        QFETCH(QString, start);
        QFETCH(QString, twelve);
        Window f;
        f.hour->setText(start);
        QTest::keyClick(f.hour, '/');
        QVERIFY(!f.hour->Format24());
        QCOMPARE(f.hour->displayText(), twelve);
        QTest::keyClick(f.hour, '/');
        QVERIFY(f.hour->Format24());
        QCOMPARE(f.hour->text(), start);
    }

    void stepInTwelveHourMode()
    {
        Window f;
        f.hour->setText(QStringLiteral("11:00"));
        f.hour->ChangerFormat24(false);
        QCOMPARE(f.hour->displayText(), QStringLiteral("11:00 AM"));
        f.hour->setCursorPosition(0);
        f.hour->stepUp();
        QCOMPARE(f.hour->displayText(), QStringLiteral("12:00 AM"));
        f.hour->stepUp();
        QCOMPARE(f.hour->displayText(), QStringLiteral("01:00 PM"));
        f.hour->stepDown();
        QCOMPARE(f.hour->displayText(), QStringLiteral("12:00 AM"));
        // "+" swaps the marker; in the 24-hour mode it changes nothing.
        QTest::keyClick(f.hour, '+');
        QCOMPARE(f.hour->displayText(), QStringLiteral("12:00 PM"));
        f.hour->ChangerFormat24(true);
        QCOMPARE(f.hour->text(), QStringLiteral("00:00"));
        QTest::keyClick(f.hour, '+');
        QCOMPARE(f.hour->text(), QStringLiteral("00:00"));
        // A written value reads back the same in the 12-hour mode.
        f.hour->ChangerFormat24(false);
        for (const double value : {hour(0, 10), hour(12, 10), hour(13, 45), hour(11, 59)}) {
            f.hour->EcrireHeure(value);
            QCOMPARE(f.hour->LireHeure(), value);
        }
    }
};

QTEST_MAIN(TestSaisieHeure)
#include "tst_saisieheure.moc"
