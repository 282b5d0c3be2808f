#include "controls/grid/editeurcellule.h"

#include "controls/grid/masqueaffichage.h"
#include "dialogs/messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QValidator>

namespace {

Qt::Alignment alignementQt(TAlignment alignement)
{
    switch (alignement) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// Where the digits of a decimal text stand around its separator.
struct PartiesDecimales {
    int entiers = 0, decimales = 0;
};

PartiesDecimales parties(const QString &texte, QChar separateur)
{
    PartiesDecimales resultat;
    const qsizetype virgule = texte.indexOf(separateur);
    for (qsizetype i = 0; i < texte.size(); ++i)
        if (texte.at(i).isDigit())
            ++((virgule >= 0 && i > virgule) ? resultat.decimales : resultat.entiers);
    return resultat;
}

QString chiffresAvant(int n)
{
    if (n == 0)
        return QStringLiteral("Aucun chiffre autorisé avant la virgule.");
    return n == 1 ? QStringLiteral("1 chiffre autorisé avant la virgule.")
                  : QStringLiteral("%1 chiffres autorisés avant la virgule.").arg(n);
}

QString chiffresApres(int n)
{
    if (n == 0)
        return QStringLiteral("Aucun chiffre autorisé après la virgule.");
    return n == 1 ? QStringLiteral("1 chiffre autorisé après la virgule.")
                  : QStringLiteral("%1 chiffres autorisés après la virgule.").arg(n);
}

// Guards what reaches the editor other than by typing (pasting, dropping): the same rules as
// for typed characters, without messages.
class ValidateurCellule : public QValidator {
public:
    ValidateurCellule(QObject *parent, const TSaisieCellule &saisie, QChar separateur)
        : QValidator(parent)
        , m_saisie(saisie)
        , m_separateur(separateur)
    {
    }

    State validate(QString &texte, int &) const override
    {
        const bool nombre = m_saisie.Format() == fcNombre || m_saisie.Format() == fcNombreDecimal;
        const bool decimal = m_saisie.Format() == fcNombreDecimal;
        for (qsizetype i = 0; i < texte.size(); ++i) {
            QChar c = texte.at(i);
            if (decimal && (c == u',' || c == u'.')) {
                c = m_separateur;
                texte[i] = c;
            }
            if (!m_saisie.touches().accepte(c) && !(decimal && c == m_separateur))
                return Invalid;
            if (nombre && c == u'-' && i != 0)
                return Invalid;
        }
        if (!decimal)
            return Acceptable;
        if (texte.count(m_separateur) > 1)
            return Invalid;
        const PartiesDecimales p = parties(texte, m_separateur);
        const int avant = m_saisie.chiffresAvantVirgule();
        if ((avant >= 0 && p.entiers > avant) || p.decimales > m_saisie.NbDecimal())
            return Invalid;
        return Acceptable;
    }

private:
    TSaisieCellule m_saisie;
    QChar m_separateur;
};

} // namespace

EditeurCellule::EditeurCellule(QWidget *parent, const std::optional<TSaisieCellule> &saisie, TAlignment alignement)
    : QLineEdit(parent)
    , m_saisie(saisie)
    , m_separateur(QLocale().decimalPoint().at(0))
{
    setFrame(false);
    setAlignment(alignementQt(alignement));
    if (!m_saisie)
        return;
    if (m_saisie->MaxLength() > 0)
        // The sign is not one of the digits that the length counts for a decimal value.
        setMaxLength(m_saisie->MaxLength() + (estDecimal() && m_saisie->AutoriseSigne() ? 1 : 0));
    if (!m_saisie->EditMask().isEmpty())
        setInputMask(m_saisie->EditMask());
    else
        // A mask has its own blanks, which no key filter would let through.
        setValidator(new ValidateurCellule(this, *m_saisie, m_separateur));
    if (m_saisie->EditColor().isValid()) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Base, m_saisie->EditColor());
        setPalette(palette);
        setAutoFillBackground(true);
    }
}

bool EditeurCellule::estNombre() const
{
    return m_saisie && (m_saisie->Format() == fcNombre || m_saisie->Format() == fcNombreDecimal);
}

bool EditeurCellule::estDecimal() const
{
    return m_saisie && m_saisie->Format() == fcNombreDecimal;
}

QChar EditeurCellule::traduire(QChar caractere) const
{
    return estDecimal() && (caractere == u',' || caractere == u'.') ? m_separateur : caractere;
}

bool EditeurCellule::filtreAccepte(QChar caractere) const
{
    if (!m_saisie)
        return true;
    // Either decimal mark stands for the separator, whichever of them the filter names.
    if (estDecimal() && caractere == m_separateur)
        return m_saisie->touches().accepte(u',') || m_saisie->touches().accepte(u'.')
            || m_saisie->touches().accepte(m_separateur);
    return m_saisie->touches().accepte(caractere);
}

bool EditeurCellule::accepter(QChar caractere)
{
    if (!filtreAccepte(caractere)) {
        QApplication::beep();
        return false;
    }
    if (!estNombre())
        return true;
    // The text as it would be once the character replaced the selection.
    QString apres = text();
    int position = cursorPosition();
    if (hasSelectedText()) {
        position = selectionStart();
        apres.remove(position, selectedText().size());
    }
    apres.insert(position, caractere);
    // Nothing goes before a minus sign, and the sign only first.
    if ((caractere == u'-' && (position != 0 || apres.count(u'-') > 1))
        || (caractere != u'-' && position == 0 && apres.size() > 1 && apres.at(1) == u'-')) {
        QApplication::beep();
        return false;
    }
    if (!estDecimal())
        return true;
    if (caractere == m_separateur && apres.count(m_separateur) > 1) {
        QApplication::beep();
        return false;
    }
    const PartiesDecimales p = parties(apres, m_separateur);
    const qsizetype virgule = apres.indexOf(m_separateur);
    const bool avantVirgule = virgule < 0 || position < virgule;
    const int avant = m_saisie->chiffresAvantVirgule();
    if (caractere.isDigit() && avantVirgule && avant >= 0 && p.entiers > avant) {
        signaler(chiffresAvant(avant), false);
        return false;
    }
    // A separator typed among the digits makes decimals of those after it.
    if ((caractere.isDigit() || caractere == m_separateur) && p.decimales > m_saisie->NbDecimal()) {
        signaler(chiffresApres(m_saisie->NbDecimal()), false);
        return false;
    }
    return true;
}

void EditeurCellule::keyPressEvent(QKeyEvent *event)
{
    const QString texte = event->text();
    const bool raccourci = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (raccourci || texte.isEmpty() || texte.at(0).unicode() < 32 || texte.at(0).unicode() == 127) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (texte.size() != 1) {
        QApplication::beep();
        return;
    }
    const QChar caractere = traduire(texte.at(0));
    if (!accepter(caractere))
        return;
    if (caractere == texte.at(0))
        QLineEdit::keyPressEvent(event);
    else
        insert(QString(caractere));
}

void EditeurCellule::signaler(const QString &message, bool erreur)
{
    m_messageOuvert = true;
    if (erreur)
        MessageErreur(message);
    else
        MessageInformation(message);
    m_messageOuvert = false;
    setFocus(Qt::OtherFocusReason);
}

QString EditeurCellule::valeur() const
{
    const QString texte = text();
    if (inputMask().isEmpty())
        return texte;
    for (const QChar c : texte)
        if (c.isLetterOrNumber())
            return texte;
    return QString();
}

QString EditeurCellule::erreurValeur() const
{
    const QString texte = valeur();
    if (!m_saisie || texte.isEmpty())
        return QString();
    const QLocale locale;
    switch (m_saisie->Format()) {
    case fcNombre:
    case fcNombreDecimal: {
        const std::optional<double> nombre = MasqueAffichage::lireNombre(texte, locale);
        if (!nombre)
            return QStringLiteral("La valeur saisie n'est pas un nombre.");
        if (m_saisie->avecPlage() && (*nombre < m_saisie->ValeurMin() || *nombre > m_saisie->ValeurMax()))
            return QStringLiteral("La valeur doit être comprise entre %1 et %2.")
                .arg(locale.toString(m_saisie->ValeurMin(), 'f', QLocale::FloatingPointShortest),
                     locale.toString(m_saisie->ValeurMax(), 'f', QLocale::FloatingPointShortest));
        return QString();
    }
    case fcDate:
        if (texte.size() != 10 || !MasqueAffichage::lireDate(texte).isValid())
            return QStringLiteral("La date saisie n'est pas valide : écrivez-la sous la forme JJ%1MM%1AAAA.")
                .arg(TSaisieCellule::separateurDate());
        return QString();
    case fcHeure:
        if (texte.size() != 5 || !MasqueAffichage::lireHeure(texte).isValid())
            return QStringLiteral("L'heure saisie n'est pas valide : écrivez-la sous la forme HH%1MM.")
                .arg(TSaisieCellule::separateurHeure());
        return QString();
    case fcChaine:
        break;
    }
    return QString();
}
