#include "controls/dateformat.h"

#include <QStringList>

DateFormat::DateFormat(DateOrder order, QChar separator)
    : m_order(order)
    , m_separator(separator)
{
}

DateFormat DateFormat::fromLocale(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QChar separator = QLatin1Char('/');
    for (const QChar c : format)
        if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace()) {
            separator = c;
            break;
        }
    QString letters;
    for (const QString &part : format.split(separator, Qt::SkipEmptyParts)) {
        const QString own = part.trimmed();
        if (!own.isEmpty())
            letters += own.at(0).toLower();
    }
    DateOrder order = DateOrder::YearMonthDay;
    if (letters.startsWith(QLatin1String("dmy")))
        order = DateOrder::DayMonthYear;
    else if (letters.startsWith(QLatin1String("mdy")))
        order = DateOrder::MonthDayYear;
    return DateFormat(order, separator);
}

QString DateFormat::displayFormat() const
{
    switch (m_order) {
    case DateOrder::DayMonthYear:
        return QStringList{"dd", "mm", "yyyy"}.join(m_separator);
    case DateOrder::MonthDayYear:
        return QStringList{"mm", "dd", "yyyy"}.join(m_separator);
    case DateOrder::YearMonthDay:
        break;
    }
    return QStringList{"yyyy", "mm", "dd"}.join(m_separator);
}

QString DateFormat::mask() const
{
    // The separator is escaped in case it is one of the mask's own letters.
    const QString sep = QStringLiteral("\\") + m_separator;
    if (m_order == DateOrder::YearMonthDay)
        return QStringLiteral("0000") + sep + QStringLiteral("00") + sep + QStringLiteral("00; ");
    return QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("0000; ");
}

QString DateFormat::write(const QDate &date) const
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    const QString j = QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
    const QString m = QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
    const QString a = QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    switch (m_order) {
    case DateOrder::DayMonthYear:
        return QStringList{j, m, a}.join(m_separator);
    case DateOrder::MonthDayYear:
        return QStringList{m, j, a}.join(m_separator);
    case DateOrder::YearMonthDay:
        break;
    }
    return QStringList{a, m, j}.join(m_separator);
}

DateFields DateFormat::DecouperDate(const QString &content) const
{
    const QStringList parts = content.split(m_separator);
    const auto part = [&](int i) { return i < parts.size() ? parts.at(i) : QString(); };
    switch (m_order) {
    case DateOrder::DayMonthYear:
        return {part(0), part(1), part(2)};
    case DateOrder::MonthDayYear:
        return {part(1), part(0), part(2)};
    case DateOrder::YearMonthDay:
        break;
    }
    return {part(2), part(1), part(0)};
}

QString DateFormat::completeYear(const QString &year, int currentYear)
{
    if (year.size() >= 4)
        return year;
    int divisor = 1;
    for (qsizetype i = 0; i < year.size(); ++i)
        divisor *= 10;
    return QString::number(currentYear / divisor) + year;
}

QString DateFormat::RecomposerDate(DateFields fields, int currentYear) const
{
    if (fields.day.size() == 1)
        fields.day.prepend(QLatin1Char('0'));
    if (fields.month.size() == 1)
        fields.month.prepend(QLatin1Char('0'));
    fields.year = completeYear(fields.year, currentYear);
    switch (m_order) {
    case DateOrder::DayMonthYear:
        return QStringList{fields.day, fields.month, fields.year}.join(m_separator);
    case DateOrder::MonthDayYear:
        return QStringList{fields.month, fields.day, fields.year}.join(m_separator);
    case DateOrder::YearMonthDay:
        break;
    }
    return QStringList{fields.year, fields.month, fields.day}.join(m_separator);
}

QDate DateFormat::read(const QString &content, int currentYear) const
{
    QString withoutBlanks = content;
    withoutBlanks.remove(QLatin1Char(' '));
    if (withoutBlanks.split(m_separator).size() != 3)
        return {};
    const DateFields fields = DecouperDate(withoutBlanks);
    const auto digits = [](const QString &field, int max) {
        if (field.isEmpty() || field.size() > max)
            return false;
        for (const QChar c : field)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        return true;
    };
    if (!digits(fields.day, 2) || !digits(fields.month, 2) || !digits(fields.year, 4))
        return {};
    const int year = completeYear(fields.year, currentYear).toInt();
    if (year < 1)
        return {};
    return QDate(year, fields.month.toInt(), fields.day.toInt());
}
