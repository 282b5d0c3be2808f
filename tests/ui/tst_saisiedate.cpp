// The date edit and its calendar, with a French locale unless a row says otherwise.
#include "controls/calendrier.h"
#include "controls/updownarrows.h"
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
struct Window {
    QWidget window;
    TSaisieDate *date;
    QLineEdit *other;
    Window()
    {
        auto *column = new QVBoxLayout(&window);
        date = new TSaisieDate(&window);
        date->setObjectName(QStringLiteral("sdDate"));
        other = new QLineEdit(&window);
        other->setObjectName(QStringLiteral("saiAutre"));
        column->addWidget(date);
        column->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        active = QTest::qWaitForWindowActive(&window);
    }
    bool active = false;
    void enter() { date->setFocus(Qt::TabFocusReason); }
    void quitter() { other->setFocus(Qt::TabFocusReason); }
};

QString textOf(const QDate &day) { return day.toString(QStringLiteral("dd/MM/yyyy")); }

// Runs the action while the calendar window is shown modally; `inCalendar` answers it.
void withCalendar(const std::function<void()> &action,
                    const std::function<void(TforCalendrier *)> &inCalendar)
{
    bool vu = false;
    auto wait = std::make_shared<std::function<void()>>();
    *wait = [&vu, &inCalendar, wait] {
        auto *window = qobject_cast<TforCalendrier *>(QApplication::activeModalWidget());
        if (!window) {
            QTimer::singleShot(10, [wait] { (*wait)(); });
            return;
        }
        vu = true;
        inCalendar(window);
    };
    QTimer::singleShot(0, [wait] { (*wait)(); });
    action();
    QVERIFY(vu);
    *wait = [] {};
}

} // namespace

class TestSaisieDate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }

    void shortFormatOrder_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("expected");
        QTest::newRow("français") << QLocale(QLocale::French, QLocale::France) << "dd/mm/yyyy" << "31/12/2004";
        QTest::newRow("États-Unis") << QLocale(QLocale::English, QLocale::UnitedStates) << "mm/dd/yyyy" << "12/31/2004";
        QTest::newRow("suédois (ISO)") << QLocale(QLocale::Swedish, QLocale::Sweden) << "yyyy-mm-dd" << "2004-12-31";
        QTest::newRow("allemand") << QLocale(QLocale::German, QLocale::Germany) << "dd.mm.yyyy" << "31.12.2004";
    }
    void shortFormatOrder()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, display);
        QFETCH(QString, expected);
        QLocale::setDefault(locale);
        TSaisieDate date;
        QCOMPARE(date.format().displayFormat(), display);
        date.EcrireDate(DateValue::fromDate(QDate(2004, 12, 31)));
        QCOMPARE(date.text(), expected);
        QCOMPARE(date.LireDate(), DateValue::fromDate(QDate(2004, 12, 31)));
        // The year-first order takes a four-digit field first.
        const bool yearFirst = date.format().order() == DateOrder::YearMonthDay;
        QCOMPARE(date.inputMask().startsWith(QLatin1String("0000")), yearFirst);
    }

    void createdWithToday()
    {
        TSaisieDate date;
        QCOMPARE(date.text(), textOf(QDate::currentDate()));
        QCOMPARE(date.Alignment(), Qt::AlignHCenter);
        QVERIFY(date.AfficheFleche());
        QVERIFY(date.AfficheCalend());
    }

    void yearCompletion_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("expected");
        QTest::newRow("un chiffre") << "31" << "12" << "4" << "31/12/2004";
        QTest::newRow("deux chiffres") << "31" << "12" << "04" << "31/12/2004";
        QTest::newRow("trois chiffres") << "31" << "12" << "104" << "31/12/2104";
        QTest::newRow("vide") << "31" << "12" << "" << "31/12/2004";
        QTest::newRow("complète") << "31" << "12" << "1999" << "31/12/1999";
        QTest::newRow("jour et mois d'un chiffre") << "3" << "1" << "2005" << "03/01/2005";
    }
    void yearCompletion()
    {
        QFETCH(QString, day);
        QFETCH(QString, month);
        QFETCH(QString, year);
        QFETCH(QString, expected);
        const DateFormat format(DateOrder::DayMonthYear, QLatin1Char('/'));
        QCOMPARE(format.RecomposerDate({day, month, year}, 2004), expected);
    }

    void keyboardTyping_data()
    {
        QTest::addColumn<QString>("typing");
        QTest::addColumn<QString>("after");
        const int year = QDate::currentDate().year();
        const QString shortFormat = QString::number(year / 10) + QLatin1Char('4');
        QTest::newRow("année d'un chiffre") << "31124" << "31/12/" + shortFormat;
        QTest::newRow("jour et mois d'un chiffre") << "3/1/2004" << "03/01/2004";
        QTest::newRow("29 février bissextile") << "29022004" << "29/02/2004";
        QTest::newRow("31 février") << "31022004" << "";
        QTest::newRow("29 février non bissextile") << "29022005" << "";
        QTest::newRow("mois 13") << "01132004" << "";
        QTest::newRow("jour 00") << "00012004" << "";
        QTest::newRow("année 0000") << "01010000" << "";
        QTest::newRow("année absente") << "3112" << "";
    }
    void keyboardTyping()
    {
        QFETCH(QString, typing);
        QFETCH(QString, after);
        Window f;
        QVERIFY(f.active);
        f.enter();
        QVERIFY(f.date->hasFocus());
        f.date->selectAll();
        QTest::keyClick(f.date, Qt::Key_Delete);
        f.date->setCursorPosition(0);
        QTest::keyClicks(f.date, typing);
        f.quitter();
        QCOMPARE(f.date->text().remove(QLatin1Char('/')).isEmpty() ? QString() : f.date->text(), after);
        const QDate expected = QDate::fromString(after, QStringLiteral("dd/MM/yyyy"));
        QCOMPARE(f.date->LireDate(), after.isEmpty() ? -1.0 : DateValue::fromDate(expected));
    }

    void oneDigitFieldsAtFirst()
    {
        Window f;
        f.enter();
        f.date->setText(QStringLiteral("3 /1 /2004"));
        f.quitter();
        QCOMPARE(f.date->text(), QStringLiteral("03/01/2004"));
    }

    void emptyDate()
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

    void stepWithTheArrows_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fin d'année") << "31/12/2004" << int(Qt::Key_Up) << "01/01/2005";
        QTest::newRow("début d'année") << "01/01/2005" << int(Qt::Key_Down) << "31/12/2004";
        QTest::newRow("fin de février bissextile") << "28/02/2004" << int(Qt::Key_Up) << "29/02/2004";
        QTest::newRow("début de mars") << "01/03/2005" << int(Qt::Key_Down) << "28/02/2005";
        QTest::newRow("fin de mois de 30") << "30/04/2004" << int(Qt::Key_Up) << "01/05/2004";
        QTest::newRow("vide vers demain") << "" << int(Qt::Key_Up) << textOf(QDate::currentDate().addDays(1));
        QTest::newRow("impossible vers hier") << "31/02/2004" << int(Qt::Key_Down)
                                              << textOf(QDate::currentDate().addDays(-1));
    }
    void stepWithTheArrows()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(QString, expected);
        Window f;
        f.enter();
        f.date->setText(start);
        QSignalSpy changes(f.date, &QLineEdit::textChanged);
        QTest::keyClick(f.date, Qt::Key(key));
        QCOMPARE(f.date->text(), expected);
        QVERIFY(!changes.isEmpty());

        // The small arrow buttons step the same way.
        f.date->setText(start);
        auto *arrows = f.date->findChild<UpDownArrows *>(QStringLiteral("udDate"));
        QVERIFY(arrows);
        QTest::mouseClick(key == Qt::Key_Up ? arrows->upButton() : arrows->downButton(),
                          Qt::LeftButton);
        QCOMPARE(f.date->text(), expected);
    }

    void readOnlyDoesNotStep()
    {
        Window f;
        f.date->setText(QStringLiteral("31/12/2004"));
        f.date->setReadOnly(true);
        f.date->JourSuivant();
        f.date->JourPrecedent();
        QCOMPARE(f.date->text(), QStringLiteral("31/12/2004"));
    }

    void arrowsAndCalendarShown()
    {
        Window f;
        auto *arrows = f.date->findChild<UpDownArrows *>(QStringLiteral("udDate"));
        auto *button = f.date->findChild<QToolButton *>(QStringLiteral("sbCalendrier"));
        QVERIFY(arrows && button);
        QCOMPARE(f.date->textMargins().right(), 35);
        f.date->setAfficheFleche(false);
        QVERIFY(arrows->isHidden());
        QCOMPARE(button->width(), 25);
        QCOMPARE(f.date->textMargins().right(), 25);
        f.date->setAfficheCalend(false);
        QVERIFY(button->isHidden());
        QCOMPARE(f.date->textMargins().right(), 2);
        // Without the calendar button F4 does nothing (no window opens, the test would hang).
        f.enter();
        QTest::keyClick(f.date, Qt::Key_F4);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void calendarPlacement_data()
    {
        QTest::addColumn<QRect>("field");
        QTest::addColumn<QPoint>("expected");
        // Screen 1024 x 768, calendar 203 x 196 (219 with its frame, 191 to its right edge).
        QTest::newRow("au milieu, dessous") << QRect(400, 300, 105, 21) << QPoint(400 + 105 - 191, 321);
        QTest::newRow("en bas, dessus") << QRect(400, 700, 105, 21) << QPoint(314, 700 - 219);
        QTest::newRow("juste assez de place") << QRect(400, 528, 105, 21) << QPoint(314, 549);
        QTest::newRow("un pixel de trop") << QRect(400, 529, 105, 21) << QPoint(314, 529 - 219);
        QTest::newRow("à gauche, aligné sur le champ") << QRect(10, 300, 105, 21) << QPoint(10, 321);
    }
    void calendarPlacement()
    {
        QFETCH(QRect, field);
        QFETCH(QPoint, expected);
        QCOMPARE(TSaisieDate::calendarPosition(field, QRect(0, 0, 1024, 768), QSize(203, 196)), expected);
    }

    void calendarOpensAboveAtTheBottomOfTheScreen()
    {
        Window f;
        f.date->setFixedWidth(105);
        const QRect screen = f.window.screen()->geometry();
        f.window.move(screen.left() + 5, screen.bottom() - f.window.height() - 5);
        QTRY_VERIFY(f.date->mapToGlobal(QPoint(0, 0)).y() > screen.bottom() - 150);
        f.date->EcrireDate(DateValue::fromDate(QDate(2004, 12, 31)));
        const int fieldTop = f.date->mapToGlobal(QPoint(0, 0)).y();
        const int fieldLeft = f.date->mapToGlobal(QPoint(0, 0)).x();
        QPoint opened;
        QDate shown;
        withCalendar([&] { QTest::keyClick(f.date, Qt::Key_F4); },
                       [&](TforCalendrier *calendar) {
                           opened = calendar->pos();
                           auto *mc = calendar->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"));
                           shown = mc->selectedDate();
                           mc->setSelectedDate(QDate(2005, 1, 15));
                           QTest::mouseClick(calendar->findChild<QPushButton *>(QStringLiteral("butValider")),
                                             Qt::LeftButton);
                       });
        QCOMPARE(shown, QDate(2004, 12, 31));
        QVERIFY2(opened.y() + 196 <= fieldTop, "le calendrier doit s'ouvrir au-dessus du champ");
        QCOMPARE(opened.x(), fieldLeft); // near the left edge it is aligned on the field
        QCOMPARE(f.date->text(), QStringLiteral("15/01/2005"));
        QCOMPARE(f.date->selectedText(), f.date->text());
    }

    void calendarClosesWithoutChange()
    {
        Window f;
        f.enter();
        f.date->EcrireDate(-1.0);
        QDate shown;
        withCalendar([&] { QTest::mouseClick(f.date->findChild<QToolButton *>(QStringLiteral("sbCalendrier")),
                                               Qt::LeftButton); },
                       [&](TforCalendrier *calendar) {
                           shown = calendar->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"))->selectedDate();
                           QTest::mouseClick(calendar->findChild<QPushButton *>(QStringLiteral("butFermer")),
                                             Qt::LeftButton);
                       });
        QCOMPARE(shown, QDate::currentDate());
        // Closed without a choice: the starting day (today, as the field was empty) is written.
        QCOMPARE(f.date->text(), textOf(QDate::currentDate()));
    }

    void pickDateInCalendar()
    {
        double date = DateValue::fromDate(QDate(2004, 2, 14));
        bool confirmed = false;
        withCalendar([&] { confirmed = ChoisirDateCalendrier(50, 60, date); },
                       [&](TforCalendrier *calendar) {
                           QCOMPARE(calendar->pos(), QPoint(60, 50));
                           QCOMPARE(calendar->findChild<QPushButton *>(QStringLiteral("butValider"))->text(),
                                    QStringLiteral("&Valider"));
                           auto *mc = calendar->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"));
                           mc->setSelectedDate(QDate(2004, 2, 20));
                           emit mc->activated(QDate(2004, 2, 20)); // a double click on a day
                       });
        QVERIFY(confirmed);
        QCOMPARE(date, DateValue::fromDate(QDate(2004, 2, 20)));

        withCalendar([&] { confirmed = ChoisirDateCalendrier(50, 60, date); },
                       [&](TforCalendrier *calendar) {
                           calendar->findChild<QCalendarWidget *>(QStringLiteral("mcCalendrier"))
                               ->setSelectedDate(QDate(2010, 1, 1));
                           QTest::keyClick(calendar, Qt::Key_Escape);
                       });
        QVERIFY(!confirmed);
        QCOMPARE(date, DateValue::fromDate(QDate(2004, 2, 20)));
    }
};

QTEST_MAIN(TestSaisieDate)
#include "tst_saisiedate.moc"
