#include "core/exif/exifdate.h"

#include "core/exif/datetimevalue.h"
#include "core/files/filesystem.h"


#include <cmath>

namespace ExifDate {

namespace {

constexpr qint64 MsPerDay = 86400000;

} // namespace

double compose(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return DateValue::None;
    const double days = DateValue::fromDate(date);
    if (days < 0)
        return DateValue::None;
    return days + double(time.msecsSinceStartOfDay()) / double(MsPerDay);
}

double parse(const QString &text)
{
    if (text.size() != 19)
        return DateValue::None;
    // The fields are read by position and parsed as exact digits (no blank, no sign); the date
    // and the time apart, as wall-clock values that no daylight-saving gap can refuse.
    const QDate date = QDate::fromString(text.mid(0, 4) + text.mid(5, 2) + text.mid(8, 2), u"yyyyMMdd");
    const QTime time = QTime::fromString(text.mid(11, 2) + text.mid(14, 2) + text.mid(17, 2), u"HHmmss");
    return compose(date, time);
}

std::optional<WallClock> split(double value)
{
    if (DateValue::isNone(value) || !std::isfinite(value) || value > 2958465.0) // after 9999-12-31
        return std::nullopt;
    const double whole = std::floor(value);
    qint64 ms = std::llround((value - whole) * double(MsPerDay));
    QDate date = DateValue::toDate(whole);
    if (ms >= MsPerDay) { // a fraction that rounds up to the next midnight
        ms -= MsPerDay;
        date = date.addDays(1);
    }
    return WallClock{date, QTime::fromMSecsSinceStartOfDay(int(ms / 1000 * 1000))};
}

QString format(double value)
{
    const auto parts = split(value);
    if (!parts)
        return {};
    return QString::asprintf("%04d:%02d:%02d %02d:%02d:%02d", parts->date.year(), parts->date.month(),
                             parts->date.day(), parts->time.hour(), parts->time.minute(), parts->time.second());
}

double fileDate(const QString &path)
{
    const QDateTime modified = FileSystem::lastModified(path);
    if (!modified.isValid())
        return DateValue::None;
    const QDateTime local = DateValue::evenSecond(modified);
    return compose(local.date(), local.time());
}

} // namespace ExifDate
