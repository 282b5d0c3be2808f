#pragma once
// Display patterns of grid cells: how a number, a date or a time held as text in a cell is shown.
//
// Numbers: "0" is a digit always shown, "#" a digit shown when it counts, "." marks where the
// decimals begin (shown as the locale's decimal separator), a "," among the digits before it
// groups the thousands with the locale's group separator. Text before the first or after the last
// of these characters is shown as it stands; text inside "..." or '...' is always taken as it
// stands. Up to three sections separated by ";" are used for positive, negative and zero values
// ("#,##0.00 €;-#,##0.00 €;néant"); a negative section is shown without a sign of its own.
// The value is rounded half away from zero to the number of decimal places of the pattern.
//
// Dates and times: the patterns of QLocale ("dddd d MMMM yyyy", "dd/MM/yy", "HH' h 'mm"), in
// the user's locale: d dd ddd dddd, M MM MMM MMMM, yy yyyy, h hh H HH, m mm, AP ap, quoted text.
#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <optional>

namespace DisplayMask {

// The text read as a number: in the locale (its decimal separator, group separators allowed),
// else with a full stop; surrounding blanks ignored.
std::optional<double> readNumber(const QString &content, const QLocale &locale = QLocale());

QString formatNumber(double value, const QString &mask, const QLocale &locale = QLocale());

// Cell texts are read by position: a date as day (characters 1-2), month (4-5) and year (7-10),
// a time as hours (1-2) and minutes (4-5), whatever follows. Invalid when the text holds no such
// date or time.
QDate readDate(const QString &content);
QTime readTime(const QString &content);

// A text that is no number, date or time is shown unchanged.
QString number(const QString &content, const QString &mask, const QLocale &locale = QLocale());
QString date(const QString &content, const QString &mask, const QLocale &locale = QLocale());
QString hour(const QString &content, const QString &mask, const QLocale &locale = QLocale());

} // namespace DisplayMask
