#pragma once
// How the date edit writes and reads a date: the order of the fields and their separator come
// from the locale's short date format; a year typed short is completed from the current year.
#include <QDate>
#include <QLocale>
#include <QString>

enum class OrdreDate { JourMoisAnnee, MoisJourAnnee, AnneeMoisJour };

struct ChampsDate {
    QString jour, mois, annee;
};

class FormatDate {
public:
    // From the short date format of the locale: the first letters of its three parts give the
    // order ("dmy", "mdy", anything else year first), its first non-letter the separator.
    static FormatDate depuisLocale(const QLocale &locale = QLocale());
    FormatDate(OrdreDate ordre, QChar separateur);

    OrdreDate ordre() const { return m_ordre; }
    QChar separateur() const { return m_separateur; }
    // "dd/mm/yyyy", "mm/dd/yyyy" or "yyyy/mm/dd" with the locale's separator.
    QString formatAffichage() const;
    // The edit's input mask: two-digit day and month, four-digit year, blanks shown as spaces.
    QString masque() const;

    // The date in the display format; empty for an invalid date.
    QString ecrire(const QDate &date) const;
    // The text read as a date: three fields of digits (blanks ignored) in the order, a year of
    // fewer than four digits completed as RecomposerDate does. Invalid when it is no date.
    QDate lire(const QString &texte, int anneeCourante = QDate::currentDate().year()) const;

    // The fields of a text, in the order (split at the separator, blanks kept).
    ChampsDate DecouperDate(const QString &texte) const;
    // Day and month padded to two digits, the year completed in front with the leading digits
    // of the current year ("4" in 2004 gives "2004", "104" gives "2104", "" gives "2004").
    QString RecomposerDate(ChampsDate champs, int anneeCourante = QDate::currentDate().year()) const;
    static QString completerAnnee(const QString &annee, int anneeCourante);

private:
    OrdreDate m_ordre;
    QChar m_separateur;
};
