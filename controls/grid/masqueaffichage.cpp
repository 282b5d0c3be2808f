#include "controls/grid/masqueaffichage.h"

#include <QStringList>

#include <cmath>

namespace MasqueAffichage {

namespace {

bool estChiffreMasque(QChar c)
{
    return c == u'0' || c == u'#' || c == u'.' || c == u',';
}

// A pattern section split at the ";" that stand outside quotes.
QStringList sections(const QString &masque)
{
    QStringList resultat{QString()};
    QChar guillemet;
    for (const QChar c : masque) {
        if (guillemet.isNull() && c == u';') {
            resultat << QString();
            continue;
        }
        if (guillemet.isNull() && (c == u'"' || c == u'\''))
            guillemet = c;
        else if (c == guillemet)
            guillemet = QChar();
        resultat.last() += c;
    }
    return resultat;
}

// One section: literal text around the digit characters; quotes removed from the literals.
struct Section {
    QString avant, apres;
    int minEntiers = 0, minDecimales = 0, maxDecimales = 0;
    bool groupes = false;
    bool avecChiffres = false;
};

Section analyser(const QString &texte)
{
    Section section;
    QChar guillemet;
    bool apresPoint = false;
    QString litteral; // text since the last digit character: the suffix if no digit follows
    for (const QChar c : texte) {
        if (!guillemet.isNull()) {
            if (c == guillemet)
                guillemet = QChar();
            else
                (section.avecChiffres ? litteral : section.avant) += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            guillemet = c;
            continue;
        }
        if (!estChiffreMasque(c)) {
            (section.avecChiffres ? litteral : section.avant) += c;
            continue;
        }
        // Text standing among the digits is not shown.
        litteral.clear();
        section.avecChiffres = true;
        if (c == u'.') {
            apresPoint = true;
        } else if (c == u',') {
            if (!apresPoint)
                section.groupes = true;
        } else if (apresPoint) {
            ++section.maxDecimales;
            if (c == u'0')
                section.minDecimales = section.maxDecimales;
        } else if (c == u'0') {
            ++section.minEntiers;
        }
    }
    section.apres = litteral;
    return section;
}

QString chiffres(double valeurAbsolue, const Section &section, const QLocale &locale)
{
    QString texte = QString::number(valeurAbsolue, 'f', section.maxDecimales);
    QString entiers = texte.section(u'.', 0, 0);
    QString decimales = texte.section(u'.', 1, 1);
    while (decimales.size() > section.minDecimales && decimales.endsWith(u'0'))
        decimales.chop(1);
    if (entiers == QLatin1String("0") && section.minEntiers == 0)
        entiers.clear();
    while (entiers.size() < section.minEntiers)
        entiers.prepend(u'0');
    if (section.groupes)
        for (qsizetype i = entiers.size() - 3; i > 0; i -= 3)
            entiers.insert(i, locale.groupSeparator());
    return decimales.isEmpty() ? entiers : entiers + locale.decimalPoint() + decimales;
}

double arrondi(double valeur, int decimales)
{
    const double facteur = std::pow(10.0, decimales);
    const double resultat = std::round(valeur * facteur) / facteur;
    return std::isfinite(resultat) ? resultat : valeur;
}

} // namespace

std::optional<double> lireNombre(const QString &texte, const QLocale &locale)
{
    const QString propre = texte.trimmed();
    if (propre.isEmpty())
        return std::nullopt;
    bool ok = false;
    double valeur = locale.toDouble(propre, &ok);
    if (!ok)
        valeur = QLocale::c().toDouble(propre, &ok);
    if (!ok || !std::isfinite(valeur))
        return std::nullopt;
    return valeur;
}

QString formaterNombre(double valeur, const QString &masque, const QLocale &locale)
{
    const QStringList parts = sections(masque);
    const Section positive = analyser(parts.at(0));
    // Which section applies is decided on the value as it will be shown, so that -0.001 shown
    // with two decimals is a zero, not a negative zero.
    const double montre = arrondi(valeur, positive.maxDecimales);
    if (montre == 0.0 && parts.size() > 2 && !parts.at(2).isEmpty()) {
        const Section zero = analyser(parts.at(2));
        return zero.avant + (zero.avecChiffres ? chiffres(0.0, zero, locale) : QString()) + zero.apres;
    }
    if (montre < 0.0 && parts.size() > 1 && !parts.at(1).isEmpty()) {
        const Section negative = analyser(parts.at(1));
        const double absolue = std::fabs(arrondi(valeur, negative.maxDecimales));
        return negative.avant + (negative.avecChiffres ? chiffres(absolue, negative, locale) : QString())
            + negative.apres;
    }
    const QString signe = montre < 0.0 ? locale.negativeSign() : QString();
    if (!positive.avecChiffres)
        return positive.avant + positive.apres;
    return positive.avant + signe + chiffres(std::fabs(montre), positive, locale) + positive.apres;
}

QString nombre(const QString &texte, const QString &masque, const QLocale &locale)
{
    const std::optional<double> valeur = lireNombre(texte, locale);
    return valeur ? formaterNombre(*valeur, masque, locale) : texte;
}

namespace {
// The whole text of a field taken by position, digits only.
std::optional<int> champ(const QString &texte, int debut, int longueur)
{
    if (texte.size() < debut + longueur)
        return std::nullopt;
    const QString partie = texte.mid(debut, longueur);
    for (const QChar c : partie)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return partie.toInt();
}
} // namespace

QDate lireDate(const QString &texte)
{
    const auto jour = champ(texte, 0, 2), mois = champ(texte, 3, 2), annee = champ(texte, 6, 4);
    if (!jour || !mois || !annee)
        return QDate();
    return QDate(*annee, *mois, *jour);
}

QTime lireHeure(const QString &texte)
{
    const auto heures = champ(texte, 0, 2), minutes = champ(texte, 3, 2);
    if (!heures || !minutes)
        return QTime();
    return QTime(*heures, *minutes);
}

QString date(const QString &texte, const QString &masque, const QLocale &locale)
{
    const QDate valeur = lireDate(texte);
    return valeur.isValid() ? locale.toString(valeur, masque) : texte;
}

QString heure(const QString &texte, const QString &masque, const QLocale &locale)
{
    const QTime valeur = lireHeure(texte);
    return valeur.isValid() ? locale.toString(valeur, masque) : texte;
}

} // namespace MasqueAffichage
