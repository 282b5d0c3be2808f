#include "core/exif/datetimevalue.h"

#include <cmath>

namespace DateValue {

namespace {
const QDate &epoch()
{
    static const QDate day(1899, 12, 30);
    return day;
}
constexpr double MsPerDay = 86400000.0;
} // namespace

double fromDate(const QDate &date)
{
    if (!date.isValid())
        return None;
    return double(epoch().daysTo(date));
}

double fromDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return None;
    const QDateTime local = dateTime.toLocalTime();
    const double days = fromDate(local.date());
    return days + local.time().msecsSinceStartOfDay() / MsPerDay;
}

int dayNumber(double value)
{
    return int(std::floor(value));
}

QDate toDate(double value)
{
    if (isNone(value))
        return {};
    return epoch().addDays(dayNumber(value));
}

QDateTime toDateTime(double value)
{
    if (isNone(value))
        return {};
    const QDate date = toDate(value);
    const double fraction = value - std::floor(value);
    qint64 ms = qint64(std::llround(fraction * MsPerDay));
    if (ms >= qint64(MsPerDay))
        ms = qint64(MsPerDay) - 1;
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)));
}

QDateTime evenSecond(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return dateTime;
    QDateTime local = dateTime.toLocalTime();
    QTime time = local.time();
    const int seconds = time.second() - time.second() % 2;
    local.setTime(QTime(time.hour(), time.minute(), seconds));
    return local;
}

} // namespace DateValue
