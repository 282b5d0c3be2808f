#include "controls/saisieentier.h"

#include "dialogs/messages.h"

#include <QApplication>
#include <QMetaMethod>

namespace {
// The text as a number; false for no number (empty, a lone sign, letters).
bool lireNombre(const QString &texte, qlonglong &nombre)
{
    bool ok = false;
    nombre = texte.trimmed().toLongLong(&ok);
    return ok;
}
} // namespace

TSaisieEntier::TSaisieEntier(QWidget *parent)
    : TCustomSaisie(parent)
{
    majParametres();
    setAlignment(Qt::AlignRight);
    setText(QStringLiteral("0"));
}

void TSaisieEntier::setValeurMax(int valeur)
{
    if (valeur < m_valeurMin)
        return;
    m_valeurMax = valeur;
    if (valeur < 0)
        setAutoriseSigne(true);
}

void TSaisieEntier::setValeurMin(int valeur)
{
    if (valeur > m_valeurMax)
        return;
    m_valeurMin = valeur;
    if (valeur < 0)
        setAutoriseSigne(true);
}

void TSaisieEntier::setAutoriseSigne(bool autorise)
{
    m_autoriseSigne = autorise;
    majParametres();
}

void TSaisieEntier::setCompleteAuto(bool complete)
{
    m_completeAuto = complete;
    majParametres();
}

void TSaisieEntier::majParametres()
{
    QString parametres = QStringLiteral("[dfNombre");
    if (m_autoriseSigne)
        parametres += QStringLiteral(", dfSigne");
    if (m_completeAuto)
        parametres += QStringLiteral(", CompleteGauche, CompCar0");
    setParametres(parametres + QLatin1Char(']'));
}

int TSaisieEntier::Valeur() const
{
    bool ok = false;
    const int valeur = text().trimmed().toInt(&ok);
    return ok ? valeur : 0;
}

void TSaisieEntier::setValeur(int valeur)
{
    QString texte = QString::number(valeur);
    if (m_completeAuto)
        texte = filtre().completer(texte, longueurMax());
    AffecterTexte(texte);
    update();
}

QString TSaisieEntier::valeurDefaut() const
{
    QString texte = QStringLiteral("0");
    if (!(m_valeurMax != m_valeurMin && m_valeurMax >= 0 && m_valeurMin <= 0))
        texte = QString::number(m_valeurMin);
    if (m_completeAuto)
        texte = filtre().completer(texte, longueurMax());
    return texte;
}

bool TSaisieEntier::accepterCaractere(QChar caractere)
{
    const QString texte = text();
    const bool selection = hasSelectedText();
    const bool signe = caractere == QLatin1Char('+') || caractere == QLatin1Char('-');
    const bool retour = caractere == QChar(8);

    const int position = selection ? selectionStart() : cursorPosition();

    // Nothing may be typed before a minus sign.
    if (!selection && position == 0 && texte.contains(QLatin1Char('-')) && !retour) {
        refuserCaractere();
        return false;
    }
    // A sign only at the start, and a second minus only in place of a selected one.
    if (m_autoriseSigne && signe
        && !(position == 0 && (!texte.contains(QLatin1Char('-')) || selection))) {
        refuserCaractere();
        return false;
    }
    if (!TCustomSaisie::accepterCaractere(caractere))
        return false;
    if (retour)
        return true;

    if (m_valeurMax < 0 && !texte.startsWith(QLatin1Char('-')) && caractere != QLatin1Char('-')) {
        avertir(QStringLiteral("La valeur doit être comprise entre %1 et %2.").arg(m_valeurMin).arg(m_valeurMax));
        return false;
    }

    if (m_valeurMin != m_valeurMax) {
        QString apres = texte;
        if (selection)
            apres.replace(selectionStart(), selectedText().size(), caractere);
        else
            apres.insert(cursorPosition(), caractere);
        const qlonglong limite = m_valeurMax < 0 ? -qlonglong(m_valeurMin) : m_valeurMax;
        qlonglong nombre = 0;
        if (lireNombre(apres, nombre) && nombre > limite) {
            signalerMax();
            selectAll();
            return false;
        }
    }
    return true;
}

void TSaisieEntier::signalerMax()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TSaisieEntier::depassementMax))) {
        emit depassementMax();
        return;
    }
    avertir(QStringLiteral("La valeur doit être inférieure ou égale à %1.").arg(m_valeurMax));
}

void TSaisieEntier::signalerMin()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TSaisieEntier::depassementMin))) {
        emit depassementMin();
        return;
    }
    avertir(QStringLiteral("La valeur doit être supérieure ou égale à %1.").arg(m_valeurMin));
}

void TSaisieEntier::avertir(const QString &message)
{
    // The beep follows Beep; the box itself stays silent, or a user who switched the beep
    // off would hear it all the same.
    if (Beep())
        sonner();
    MessageAvertissement(message, false);
}

QString TSaisieEntier::sansZerosDeTete(const QString &texte)
{
    QString resultat;
    bool chiffreVu = false;
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte.at(i);
        const bool zeroOuBlanc = c == QLatin1Char('0') || c == QLatin1Char(' ');
        if (!chiffreVu && zeroOuBlanc && i != texte.size() - 1)
            continue;
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9'))
            chiffreVu = true;
        resultat += c;
    }
    return resultat.isEmpty() ? QStringLiteral("0") : resultat;
}

void TSaisieEntier::entrer()
{
    setText(sansZerosDeTete(text()));
    TCustomSaisie::entrer();
}

void TSaisieEntier::quitter()
{
    if (m_valeurMin != m_valeurMax) {
        qlonglong nombre = 0;
        if (!lireNombre(text(), nombre)) {
            setText(valeurDefaut());
            sonner();
        } else if (nombre > m_valeurMax) {
            setText(valeurDefaut());
            signalerMax();
        } else if (nombre < m_valeurMin) {
            setText(valeurDefaut());
            signalerMin();
        }
    }
    if (text().isEmpty())
        setText(QStringLiteral("0"));
    TCustomSaisie::quitter();
    if (!m_completeAuto)
        setText(sansZerosDeTete(text()));
}
