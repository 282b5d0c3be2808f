#include "controls/grid/displaymask.h"

#include <QStringList>

#include <cmath>

namespace DisplayMask {

namespace {

bool isMaskDigit(QChar c)
{
    return c == u'0' || c == u'#' || c == u'.' || c == u',';
}

// A pattern section split at the ";" that stand outside quotes.
QStringList sections(const QString &mask)
{
    QStringList result{QString()};
    QChar quote;
    for (const QChar c : mask) {
        if (quote.isNull() && c == u';') {
            result << QString();
            continue;
        }
        if (quote.isNull() && (c == u'"' || c == u'\''))
            quote = c;
        else if (c == quote)
            quote = QChar();
        result.last() += c;
    }
    return result;
}

// One section: literal text around the digit characters; quotes removed from the literals.
struct Section {
    QString before, after;
    int minIntegers = 0, minDecimals = 0, maxDecimals = 0;
    bool groups = false;
    bool withDigits = false;
};

Section parse(const QString &content)
{
    Section section;
    QChar quote;
    bool afterPoint = false;
    QString literal; // text since the last digit character: the suffix if no digit follows
    for (const QChar c : content) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (section.withDigits ? literal : section.before) += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            continue;
        }
        if (!isMaskDigit(c)) {
            (section.withDigits ? literal : section.before) += c;
            continue;
        }
        // Text standing among the digits is not shown.
        literal.clear();
        section.withDigits = true;
        if (c == u'.') {
            afterPoint = true;
        } else if (c == u',') {
            if (!afterPoint)
                section.groups = true;
        } else if (afterPoint) {
            ++section.maxDecimals;
            if (c == u'0')
                section.minDecimals = section.maxDecimals;
        } else if (c == u'0') {
            ++section.minIntegers;
        }
    }
    section.after = literal;
    return section;
}

QString digits(double absoluteValue, const Section &section, const QLocale &locale)
{
    QString content = QString::number(absoluteValue, 'f', section.maxDecimals);
    QString integers = content.section(u'.', 0, 0);
    QString decimals = content.section(u'.', 1, 1);
    while (decimals.size() > section.minDecimals && decimals.endsWith(u'0'))
        decimals.chop(1);
    if (integers == QLatin1String("0") && section.minIntegers == 0)
        integers.clear();
    while (integers.size() < section.minIntegers)
        integers.prepend(u'0');
    if (section.groups)
        for (qsizetype i = integers.size() - 3; i > 0; i -= 3)
            integers.insert(i, locale.groupSeparator());
    return decimals.isEmpty() ? integers : integers + locale.decimalPoint() + decimals;
}

double rounded(double value, int decimals)
{
    const double factor = std::pow(10.0, decimals);
    const double result = std::round(value * factor) / factor;
    return std::isfinite(result) ? result : value;
}

} // namespace

std::optional<double> readNumber(const QString &content, const QLocale &locale)
{
    const QString own = content.trimmed();
    if (own.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = locale.toDouble(own, &ok);
    if (!ok)
        value = QLocale::c().toDouble(own, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatNumber(double value, const QString &mask, const QLocale &locale)
{
    const QStringList parts = sections(mask);
    const Section positive = parse(parts.at(0));
    // Which section applies is decided on the value as it will be shown, so that -0.001 shown
    // with two decimals is a zero, not a negative zero.
    const double shown = rounded(value, positive.maxDecimals);
    if (shown == 0.0 && parts.size() > 2 && !parts.at(2).isEmpty()) {
        const Section zero = parse(parts.at(2));
        return zero.before + (zero.withDigits ? digits(0.0, zero, locale) : QString()) + zero.after;
    }
    if (shown < 0.0 && parts.size() > 1 && !parts.at(1).isEmpty()) {
        const Section negative = parse(parts.at(1));
        const double absolute = std::fabs(rounded(value, negative.maxDecimals));
        return negative.before + (negative.withDigits ? digits(absolute, negative, locale) : QString())
            + negative.after;
    }
    const QString sign = shown < 0.0 ? locale.negativeSign() : QString();
    if (!positive.withDigits)
        return positive.before + positive.after;
    return positive.before + sign + digits(std::fabs(shown), positive, locale) + positive.after;
}

QString number(const QString &content, const QString &mask, const QLocale &locale)
{
    const std::optional<double> value = readNumber(content, locale);
    return value ? formatNumber(*value, mask, locale) : content;
}

namespace {
// The whole text of a field taken by position, digits only.
std::optional<int> field(const QString &content, int start, int length)
{
    if (content.size() < start + length)
        return std::nullopt;
    const QString part = content.mid(start, length);
    for (const QChar c : part)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return part.toInt();
}
} // namespace

QDate readDate(const QString &content)
{
    const auto day = field(content, 0, 2), month = field(content, 3, 2), year = field(content, 6, 4);
    if (!day || !month || !year)
        return QDate();
    return QDate(*year, *month, *day);
}

QTime readTime(const QString &content)
{
    const auto hours = field(content, 0, 2), minutes = field(content, 3, 2);
    if (!hours || !minutes)
        return QTime();
    return QTime(*hours, *minutes);
}

QString date(const QString &content, const QString &mask, const QLocale &locale)
{
    const QDate value = readDate(content);
    return value.isValid() ? locale.toString(value, mask) : content;
}

QString hour(const QString &content, const QString &mask, const QLocale &locale)
{
    const QTime value = readTime(content);
    return value.isValid() ? locale.toString(value, mask) : content;
}

} // namespace DisplayMask
