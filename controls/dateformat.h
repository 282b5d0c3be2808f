#pragma once
// How the date edit writes and reads a date: the order of the fields and their separator come
// from the locale's short date format; a year typed short is completed from the current year.
#include <QDate>
#include <QLocale>
#include <QString>

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

struct DateFields {
    QString day, month, year;
};

class DateFormat {
public:
    // From the short date format of the locale: the first letters of its three parts give the
    // order ("dmy", "mdy", anything else year first), its first non-letter the separator.
    static DateFormat fromLocale(const QLocale &locale = QLocale());
    DateFormat(DateOrder order, QChar separator);

    DateOrder order() const { return m_order; }
    QChar separator() const { return m_separator; }
    // "dd/mm/yyyy", "mm/dd/yyyy" or "yyyy/mm/dd" with the locale's separator.
    QString displayFormat() const;
    // The edit's input mask: two-digit day and month, four-digit year, blanks shown as spaces.
    QString mask() const;

    // The date in the display format; empty for an invalid date.
    QString write(const QDate &date) const;
    // The text read as a date: three fields of digits (blanks ignored) in the order, a year of
    // fewer than four digits completed as RecomposerDate does. Invalid when it is no date.
    QDate read(const QString &content, int currentYear = QDate::currentDate().year()) const;

    // The fields of a text, in the order (split at the separator, blanks kept).
    DateFields DecouperDate(const QString &content) const;
    // Day and month padded to two digits, the year completed in front with the leading digits
    // of the current year ("4" in 2004 gives "2004", "104" gives "2104", "" gives "2004").
    QString RecomposerDate(DateFields fields, int currentYear = QDate::currentDate().year()) const;
    static QString completeYear(const QString &year, int currentYear);

private:
    DateOrder m_order;
    QChar m_separator;
};
