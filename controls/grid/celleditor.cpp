#include "controls/grid/celleditor.h"

#include "controls/grid/displaymask.h"
#include "dialogs/messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QValidator>

namespace {

Qt::Alignment qtAlignment(TAlignment alignment)
{
    switch (alignment) {
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
struct DecimalParts {
    int integers = 0, decimals = 0;
};

DecimalParts parts(const QString &content, QChar separator)
{
    DecimalParts result;
    const qsizetype point = content.indexOf(separator);
    for (qsizetype i = 0; i < content.size(); ++i)
        if (content.at(i).isDigit())
            ++((point >= 0 && i > point) ? result.decimals : result.integers);
    return result;
}

QString digitsBefore(int n)
{
    if (n == 0)
        return QStringLiteral("Aucun chiffre autorisé avant la virgule.");
    return n == 1 ? QStringLiteral("1 chiffre autorisé avant la virgule.")
                  : QStringLiteral("%1 chiffres autorisés avant la virgule.").arg(n);
}

QString digitsAfter(int n)
{
    if (n == 0)
        return QStringLiteral("Aucun chiffre autorisé après la virgule.");
    return n == 1 ? QStringLiteral("1 chiffre autorisé après la virgule.")
                  : QStringLiteral("%1 chiffres autorisés après la virgule.").arg(n);
}

// Guards what reaches the editor other than by typing (pasting, dropping): the same rules as
// for typed characters, without messages.
class CellValidator : public QValidator {
public:
    CellValidator(QObject *parent, const TSaisieCellule &input, QChar separator)
        : QValidator(parent)
        , m_saisie(input)
        , m_separator(separator)
    {
    }

    State validate(QString &content, int &) const override
    {
        const bool number = m_saisie.Format() == fcNombre || m_saisie.Format() == fcNombreDecimal;
        const bool decimal = m_saisie.Format() == fcNombreDecimal;
        for (qsizetype i = 0; i < content.size(); ++i) {
            QChar c = content.at(i);
            if (decimal && (c == u',' || c == u'.')) {
                c = m_separator;
                content[i] = c;
            }
            if (!m_saisie.modifiers().accepts(c) && !(decimal && c == m_separator))
                return Invalid;
            if (number && c == u'-' && i != 0)
                return Invalid;
        }
        if (!decimal)
            return Acceptable;
        if (content.count(m_separator) > 1)
            return Invalid;
        const DecimalParts p = parts(content, m_separator);
        const int before = m_saisie.digitsBeforePoint();
        if ((before >= 0 && p.integers > before) || p.decimals > m_saisie.NbDecimal())
            return Invalid;
        return Acceptable;
    }

private:
    TSaisieCellule m_saisie;
    QChar m_separator;
};

} // namespace

CellEditor::CellEditor(QWidget *parent, const std::optional<TSaisieCellule> &input, TAlignment alignment)
    : QLineEdit(parent)
    , m_saisie(input)
    , m_separator(QLocale().decimalPoint().at(0))
{
    setFrame(false);
    setAlignment(qtAlignment(alignment));
    if (!m_saisie)
        return;
    if (m_saisie->MaxLength() > 0)
        // The sign is not one of the digits that the length counts for a decimal value.
        setMaxLength(m_saisie->MaxLength() + (isDecimal() && m_saisie->AutoriseSigne() ? 1 : 0));
    if (!m_saisie->EditMask().isEmpty())
        setInputMask(m_saisie->EditMask());
    else
        // A mask has its own blanks, which no key filter would let through.
        setValidator(new CellValidator(this, *m_saisie, m_separator));
    if (m_saisie->EditColor().isValid()) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Base, m_saisie->EditColor());
        setPalette(palette);
        setAutoFillBackground(true);
    }
}

bool CellEditor::isNumber() const
{
    return m_saisie && (m_saisie->Format() == fcNombre || m_saisie->Format() == fcNombreDecimal);
}

bool CellEditor::isDecimal() const
{
    return m_saisie && m_saisie->Format() == fcNombreDecimal;
}

QChar CellEditor::translate(QChar character) const
{
    return isDecimal() && (character == u',' || character == u'.') ? m_separator : character;
}

bool CellEditor::filterAccepts(QChar character) const
{
    if (!m_saisie)
        return true;
    // Either decimal mark stands for the separator, whichever of them the filter names.
    if (isDecimal() && character == m_separator)
        return m_saisie->modifiers().accepts(u',') || m_saisie->modifiers().accepts(u'.')
            || m_saisie->modifiers().accepts(m_separator);
    return m_saisie->modifiers().accepts(character);
}

bool CellEditor::accept(QChar character)
{
    if (!filterAccepts(character)) {
        QApplication::beep();
        return false;
    }
    if (!isNumber())
        return true;
    // The text as it would be once the character replaced the selection.
    QString after = text();
    int position = cursorPosition();
    if (hasSelectedText()) {
        position = selectionStart();
        after.remove(position, selectedText().size());
    }
    after.insert(position, character);
    // Nothing goes before a minus sign, and the sign only first.
    if ((character == u'-' && (position != 0 || after.count(u'-') > 1))
        || (character != u'-' && position == 0 && after.size() > 1 && after.at(1) == u'-')) {
        QApplication::beep();
        return false;
    }
    if (!isDecimal())
        return true;
    if (character == m_separator && after.count(m_separator) > 1) {
        QApplication::beep();
        return false;
    }
    const DecimalParts p = parts(after, m_separator);
    const qsizetype point = after.indexOf(m_separator);
    const bool beforePoint = point < 0 || position < point;
    const int before = m_saisie->digitsBeforePoint();
    if (character.isDigit() && beforePoint && before >= 0 && p.integers > before) {
        report(digitsBefore(before), false);
        return false;
    }
    // A separator typed among the digits makes decimals of those after it.
    if ((character.isDigit() || character == m_separator) && p.decimals > m_saisie->NbDecimal()) {
        report(digitsAfter(m_saisie->NbDecimal()), false);
        return false;
    }
    return true;
}

void CellEditor::keyPressEvent(QKeyEvent *event)
{
    const QString content = event->text();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (shortcut || content.isEmpty() || content.at(0).unicode() < 32 || content.at(0).unicode() == 127) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    if (content.size() != 1) {
        QApplication::beep();
        return;
    }
    const QChar character = translate(content.at(0));
    if (!accept(character))
        return;
    if (character == content.at(0))
        QLineEdit::keyPressEvent(event);
    else
        insert(QString(character));
}

void CellEditor::report(const QString &message, bool error)
{
    m_messageOpen = true;
    if (error)
        MessageErreur(message);
    else
        MessageInformation(message);
    m_messageOpen = false;
    setFocus(Qt::OtherFocusReason);
}

QString CellEditor::value() const
{
    const QString content = text();
    if (inputMask().isEmpty())
        return content;
    for (const QChar c : content)
        if (c.isLetterOrNumber())
            return content;
    return QString();
}

QString CellEditor::valueError() const
{
    const QString content = value();
    if (!m_saisie || content.isEmpty())
        return QString();
    const QLocale locale;
    switch (m_saisie->Format()) {
    case fcNombre:
    case fcNombreDecimal: {
        const std::optional<double> number = DisplayMask::readNumber(content, locale);
        if (!number)
            return QStringLiteral("La valeur saisie n'est pas un nombre.");
        if (m_saisie->hasRange() && (*number < m_saisie->ValeurMin() || *number > m_saisie->ValeurMax()))
            return QStringLiteral("La valeur doit être comprise entre %1 et %2.")
                .arg(locale.toString(m_saisie->ValeurMin(), 'f', QLocale::FloatingPointShortest),
                     locale.toString(m_saisie->ValeurMax(), 'f', QLocale::FloatingPointShortest));
        return QString();
    }
    case fcDate:
        if (content.size() != 10 || !DisplayMask::readDate(content).isValid())
            return QStringLiteral("La date saisie n'est pas valide : écrivez-la sous la forme JJ%1MM%1AAAA.")
                .arg(TSaisieCellule::dateSeparator());
        return QString();
    case fcHeure:
        if (content.size() != 5 || !DisplayMask::readTime(content).isValid())
            return QStringLiteral("L'heure saisie n'est pas valide : écrivez-la sous la forme HH%1MM.")
                .arg(TSaisieCellule::timeSeparator());
        return QString();
    case fcChaine:
        break;
    }
    return QString();
}
