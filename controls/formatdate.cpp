#include "controls/formatdate.h"

#include <QStringList>

FormatDate::FormatDate(OrdreDate ordre, QChar separateur)
    : m_ordre(ordre)
    , m_separateur(separateur)
{
}

FormatDate FormatDate::depuisLocale(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QChar separateur = QLatin1Char('/');
    for (const QChar c : format)
        if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace()) {
            separateur = c;
            break;
        }
    QString lettres;
    for (const QString &partie : format.split(separateur, Qt::SkipEmptyParts)) {
        const QString propre = partie.trimmed();
        if (!propre.isEmpty())
            lettres += propre.at(0).toLower();
    }
    OrdreDate ordre = OrdreDate::AnneeMoisJour;
    if (lettres.startsWith(QLatin1String("dmy")))
        ordre = OrdreDate::JourMoisAnnee;
    else if (lettres.startsWith(QLatin1String("mdy")))
        ordre = OrdreDate::MoisJourAnnee;
    return FormatDate(ordre, separateur);
}

QString FormatDate::formatAffichage() const
{
    switch (m_ordre) {
    case OrdreDate::JourMoisAnnee:
        return QStringList{"dd", "mm", "yyyy"}.join(m_separateur);
    case OrdreDate::MoisJourAnnee:
        return QStringList{"mm", "dd", "yyyy"}.join(m_separateur);
    case OrdreDate::AnneeMoisJour:
        break;
    }
    return QStringList{"yyyy", "mm", "dd"}.join(m_separateur);
}

QString FormatDate::masque() const
{
    // The separator is escaped in case it is one of the mask's own letters.
    const QString sep = QStringLiteral("\\") + m_separateur;
    if (m_ordre == OrdreDate::AnneeMoisJour)
        return QStringLiteral("0000") + sep + QStringLiteral("00") + sep + QStringLiteral("00; ");
    return QStringLiteral("00") + sep + QStringLiteral("00") + sep + QStringLiteral("0000; ");
}

QString FormatDate::ecrire(const QDate &date) const
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    const QString j = QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
    const QString m = QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
    const QString a = QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    switch (m_ordre) {
    case OrdreDate::JourMoisAnnee:
        return QStringList{j, m, a}.join(m_separateur);
    case OrdreDate::MoisJourAnnee:
        return QStringList{m, j, a}.join(m_separateur);
    case OrdreDate::AnneeMoisJour:
        break;
    }
    return QStringList{a, m, j}.join(m_separateur);
}

ChampsDate FormatDate::DecouperDate(const QString &texte) const
{
    const QStringList parties = texte.split(m_separateur);
    const auto partie = [&](int i) { return i < parties.size() ? parties.at(i) : QString(); };
    switch (m_ordre) {
    case OrdreDate::JourMoisAnnee:
        return {partie(0), partie(1), partie(2)};
    case OrdreDate::MoisJourAnnee:
        return {partie(1), partie(0), partie(2)};
    case OrdreDate::AnneeMoisJour:
        break;
    }
    return {partie(2), partie(1), partie(0)};
}

QString FormatDate::completerAnnee(const QString &annee, int anneeCourante)
{
    if (annee.size() >= 4)
        return annee;
    int diviseur = 1;
    for (qsizetype i = 0; i < annee.size(); ++i)
        diviseur *= 10;
    return QString::number(anneeCourante / diviseur) + annee;
}

QString FormatDate::RecomposerDate(ChampsDate champs, int anneeCourante) const
{
    if (champs.jour.size() == 1)
        champs.jour.prepend(QLatin1Char('0'));
    if (champs.mois.size() == 1)
        champs.mois.prepend(QLatin1Char('0'));
    champs.annee = completerAnnee(champs.annee, anneeCourante);
    switch (m_ordre) {
    case OrdreDate::JourMoisAnnee:
        return QStringList{champs.jour, champs.mois, champs.annee}.join(m_separateur);
    case OrdreDate::MoisJourAnnee:
        return QStringList{champs.mois, champs.jour, champs.annee}.join(m_separateur);
    case OrdreDate::AnneeMoisJour:
        break;
    }
    return QStringList{champs.annee, champs.mois, champs.jour}.join(m_separateur);
}

QDate FormatDate::lire(const QString &texte, int anneeCourante) const
{
    QString sansBlancs = texte;
    sansBlancs.remove(QLatin1Char(' '));
    if (sansBlancs.split(m_separateur).size() != 3)
        return {};
    const ChampsDate champs = DecouperDate(sansBlancs);
    const auto chiffres = [](const QString &champ, int max) {
        if (champ.isEmpty() || champ.size() > max)
            return false;
        for (const QChar c : champ)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        return true;
    };
    if (!chiffres(champs.jour, 2) || !chiffres(champs.mois, 2) || !chiffres(champs.annee, 4))
        return {};
    const int annee = completerAnnee(champs.annee, anneeCourante).toInt();
    if (annee < 1)
        return {};
    return QDate(annee, champs.mois.toInt(), champs.jour.toInt());
}
