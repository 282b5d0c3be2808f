#include "controls/calendrier.h"

#include "core/exif/datetimevalue.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TforCalendrier::TforCalendrier(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("forCalendrier"));
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panCalendrier"));
    panel->setFrameShape(QFrame::StyledPanel);

    m_calendar = new QCalendarWidget(panel);
    m_calendar->setObjectName(QStringLiteral("mcCalendrier"));
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    m_calendar->setGridVisible(false);

    auto *acceptButton = new QPushButton(QStringLiteral("&Valider"), panel);
    acceptButton->setObjectName(QStringLiteral("butValider"));
    acceptButton->setDefault(true);
    auto *closeButton = new QPushButton(QStringLiteral("&Fermer"), panel);
    closeButton->setObjectName(QStringLiteral("butFermer"));
    connect(acceptButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    // A double click (or Enter) on a day takes it at once.
    connect(m_calendar, &QCalendarWidget::activated, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(acceptButton);
    buttons->addWidget(closeButton);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(m_calendar);
    column->addLayout(buttons);
    auto *background = new QVBoxLayout(this);
    background->setContentsMargins(0, 0, 0, 0);
    background->addWidget(panel);

    // The intended size, grown when the calendar needs more room for its font.
    const QSize wanted = sizeHint().expandedTo(QSize(203, 196));
    setFixedSize(wanted);
}

bool ChoisirDateCalendrier(int top, int left, double &date, QWidget *parent)
{
    TforCalendrier window(parent);
    window.move(left, top);
    const QDate start = DateValue::isNone(date) ? QDate::currentDate() : DateValue::toDate(date);
    window.calendar()->setSelectedDate(start);
    if (window.exec() != QDialog::Accepted)
        return false;
    date = DateValue::fromDate(window.calendar()->selectedDate());
    return true;
}
