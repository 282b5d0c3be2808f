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
    auto *panneau = new QFrame(this);
    panneau->setObjectName(QStringLiteral("panCalendrier"));
    panneau->setFrameShape(QFrame::StyledPanel);

    m_calendrier = new QCalendarWidget(panneau);
    m_calendrier->setObjectName(QStringLiteral("mcCalendrier"));
    m_calendrier->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendrier->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    m_calendrier->setGridVisible(false);

    auto *valider = new QPushButton(QStringLiteral("&Valider"), panneau);
    valider->setObjectName(QStringLiteral("butValider"));
    valider->setDefault(true);
    auto *fermer = new QPushButton(QStringLiteral("&Fermer"), panneau);
    fermer->setObjectName(QStringLiteral("butFermer"));
    connect(valider, &QPushButton::clicked, this, &QDialog::accept);
    connect(fermer, &QPushButton::clicked, this, &QDialog::reject);
    // A double click (or Enter) on a day takes it at once.
    connect(m_calendrier, &QCalendarWidget::activated, this, &QDialog::accept);

    auto *boutons = new QHBoxLayout;
    boutons->addStretch();
    boutons->addWidget(valider);
    boutons->addWidget(fermer);
    auto *colonne = new QVBoxLayout(panneau);
    colonne->setContentsMargins(4, 4, 4, 4);
    colonne->addWidget(m_calendrier);
    colonne->addLayout(boutons);
    auto *fond = new QVBoxLayout(this);
    fond->setContentsMargins(0, 0, 0, 0);
    fond->addWidget(panneau);

    // The intended size, grown when the calendar needs more room for its font.
    const QSize voulue = sizeHint().expandedTo(QSize(203, 196));
    setFixedSize(voulue);
}

bool ChoisirDateCalendrier(int top, int left, double &date, QWidget *parent)
{
    TforCalendrier fenetre(parent);
    fenetre.move(left, top);
    const QDate depart = DateValue::isNone(date) ? QDate::currentDate() : DateValue::toDate(date);
    fenetre.calendrier()->setSelectedDate(depart);
    if (fenetre.exec() != QDialog::Accepted)
        return false;
    date = DateValue::fromDate(fenetre.calendrier()->selectedDate());
    return true;
}
