#pragma once
// Date-times as the program stores and compares them: days since 30 December 1899,
// the time of day as the fraction, and -1.0 for "no date".
#include <QDate>
#include <QDateTime>

namespace DateValue {

inline constexpr double None = -1.0;

inline bool isNone(double value) { return value < 0.0; }

double fromDate(const QDate &date);             // midnight of that day
double fromDateTime(const QDateTime &dateTime); // local wall-clock time, milliseconds kept
QDate toDate(double value);                     // invalid QDate for None
QDateTime toDateTime(double value);             // local time; invalid for None
int dayNumber(double value);                    // whole days (the date part)

// The last-write time of a file as local time, rounded down to an even second:
// the resolution at which the program compares and stores file dates.
QDateTime evenSecond(const QDateTime &dateTime);

} // namespace DateValue
