#pragma once
// Date-times written as EXIF writes them, "YYYY:MM:DD HH:NN:SS", and the file dates that stand
// in for them. Values are the program's day counts (core/exif/datetimevalue.h), always wall-clock
// time: no time zone or daylight-saving rule ever shifts them.
#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace ExifDate {

// The 19-character text read by position: year 1-4, month 6-7, day 9-10, hour 12-13,
// minute 15-16, second 18-19; the characters between are not examined (a camera that writes
// "2004-02-25 12:25:00" gives its date too). -1.0 when the length is
// not 19, a field is not all digits, the numbers make no valid date and time, or the date lies
// before 30 December 1899 (the program's date values cannot hold it).
double parse(const QString &text);

// "YYYY:MM:DD HH:NN:SS"; empty for "no date".
QString format(double value);

struct WallClock {
    QDate date;
    QTime time; // whole seconds
};
// The calendar date and the time of day of a value, to the second; nothing for "no date".
std::optional<WallClock> split(double value);
// The value of a date and a time of day; -1.0 when either is invalid.
double compose(const QDate &date, const QTime &time);

// The file's last-write time as local time rounded down to an even second; -1.0 when the file
// cannot be found.
double fileDate(const QString &path);

} // namespace ExifDate
