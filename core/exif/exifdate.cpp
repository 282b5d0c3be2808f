#include "core/exif/exifdate.h"

#include "core/exif/datetimevalue.h"
#include "core/files/filesystem.h"


#include <cmath>

namespace ExifDate {

namespace {

constexpr qint64 MsPerDay = 86400000;

// The decimal number of a field; nothing unless every character is a digit.
std::optional<int> number(QStringView field)
{
    int value = 0;
    for (QChar c : field) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

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
    const QStringView view(text);
    const auto year = number(view.mid(0, 4));
    const auto month = number(view.mid(5, 2));
    const auto day = number(view.mid(8, 2));
    const auto hour = number(view.mid(11, 2));
    const auto minute = number(view.mid(14, 2));
    const auto second = number(view.mid(17, 2));
    if (!year || !month || !day || !hour || !minute || !second)
        return DateValue::None;
    // QDate knows no year 0 and QTime refuses hour 24, minute 60 and the like.
    return compose(QDate(*year, *month, *day), QTime(*hour, *minute, *second));
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
