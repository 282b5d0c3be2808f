#include "core/discovery/filtrephoto.h"

#include "core/exif/datetimevalue.h"
#include "core/settings/profilefile.h"

#include <QDate>

#include <cmath>

namespace {
const QString Section = QStringLiteral("Filtre");

// A part of the stored date: decimal digits only (a sign or a blank makes it unreadable).
bool decimalPart(const QString &text, int *value)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    bool ok = false;
    *value = text.toInt(&ok, 10);
    return ok;
}
} // namespace

TFiltrePhoto::TFiltrePhoto(const QString &settingsFolder) : m_path(settingsFolder + QStringLiteral("Filtre.ini"))
{
    LireFiltre();
}

void TFiltrePhoto::LireFiltre()
{
    const ProfileFile file(m_path);
    NouvellePhoto = file.readBool(Section, QStringLiteral("NouvellePhoto"), false);
    FiltreNom = file.readString(Section, QStringLiteral("FiltreNom"), QString());
    TypeFiltreNom = file.readInteger(Section, QStringLiteral("TypeFiltreNom"), 0);
    TypeFiltreDate = file.readInteger(Section, QStringLiteral("TypeFiltreDate"), 0);
    FiltreDate = parseDate(file.readString(Section, QStringLiteral("FiltreDate"), QString()));
}

void TFiltrePhoto::EnregistrerFiltre() const
{
    ProfileFile file(m_path);
    file.writeBool(Section, QStringLiteral("NouvellePhoto"), NouvellePhoto);
    file.writeString(Section, QStringLiteral("FiltreNom"), FiltreNom);
    file.writeInteger(Section, QStringLiteral("TypeFiltreNom"), TypeFiltreNom);
    file.writeInteger(Section, QStringLiteral("TypeFiltreDate"), TypeFiltreDate);
    file.writeString(Section, QStringLiteral("FiltreDate"), formatDate(FiltreDate));
    file.flush();
}

QString TFiltrePhoto::formatDate(double date)
{
    // Any value, "no date" included, is the day it counts from 30 December 1899.
    const QDate day = QDate(1899, 12, 30).addDays(qint64(std::floor(date)));
    return QStringLiteral("%1%2%3")
        .arg(day.day(), 2, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.year(), 4, 10, QLatin1Char('0'));
}

double TFiltrePhoto::parseDate(const QString &text)
{
    int day = 0, month = 0, year = 0;
    if (!decimalPart(text.mid(0, 2), &day) || !decimalPart(text.mid(2, 2), &month) || !decimalPart(text.mid(4, 4), &year))
        return DateValue::None;
    if (year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return DateValue::None;
    const double value = DateValue::fromDate(QDate(year, month, day));
    // 29 December 1899 is how "no date" is stored; earlier days mean nothing to the filter either.
    return DateValue::isNone(value) ? DateValue::None : value;
}
