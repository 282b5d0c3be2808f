#pragma once
// The small calendar window from which the date edit takes a day.
#include <QDialog>

class QCalendarWidget;

class TforCalendrier : public QDialog {
    Q_OBJECT
public:
    explicit TforCalendrier(QWidget *parent = nullptr);
    QCalendarWidget *calendar() const { return m_calendar; }

private:
    QCalendarWidget *m_calendar;
};

// Opens the calendar with its top left corner at that screen position, on the date (days since
// 30 December 1899; no date shows today). True, with the date changed, when the user confirms.
bool ChoisirDateCalendrier(int top, int left, double &date, QWidget *parent = nullptr);
