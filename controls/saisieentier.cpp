#include "controls/saisieentier.h"

#include "dialogs/messages.h"

#include <QApplication>
#include <QMetaMethod>

namespace {
// The text as a number; false for no number (empty, a lone sign, letters).
bool readNumber(const QString &content, qlonglong &number)
{
    bool ok = false;
    number = content.trimmed().toLongLong(&ok);
    return ok;
}
} // namespace

TSaisieEntier::TSaisieEntier(QWidget *parent)
    : TCustomSaisie(parent)
{
    updateSettings();
    setAlignment(Qt::AlignRight);
    setText(QStringLiteral("0"));
}

void TSaisieEntier::setValeurMax(int value)
{
    if (value < m_valeurMin)
        return;
    m_valeurMax = value;
    if (value < 0)
        setAutoriseSigne(true);
}

void TSaisieEntier::setValeurMin(int value)
{
    if (value > m_valeurMax)
        return;
    m_valeurMin = value;
    if (value < 0)
        setAutoriseSigne(true);
}

void TSaisieEntier::setAutoriseSigne(bool allowed)
{
    m_autoriseSigne = allowed;
    updateSettings();
}

void TSaisieEntier::setCompleteAuto(bool complete)
{
    m_completeAuto = complete;
    updateSettings();
}

void TSaisieEntier::updateSettings()
{
    QString settings = QStringLiteral("[dfNombre");
    if (m_autoriseSigne)
        settings += QStringLiteral(", dfSigne");
    if (m_completeAuto)
        settings += QStringLiteral(", CompleteGauche, CompCar0");
    setParametres(settings + QLatin1Char(']'));
}

int TSaisieEntier::Valeur() const
{
    bool ok = false;
    const int value = text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

void TSaisieEntier::setValeur(int value)
{
    QString content = QString::number(value);
    if (m_completeAuto)
        content = filter().completer(content, lengthLimit());
    AffecterTexte(content);
    update();
}

QString TSaisieEntier::defaultValue() const
{
    QString content = QStringLiteral("0");
    if (!(m_valeurMax != m_valeurMin && m_valeurMax >= 0 && m_valeurMin <= 0))
        content = QString::number(m_valeurMin);
    if (m_completeAuto)
        content = filter().completer(content, lengthLimit());
    return content;
}

bool TSaisieEntier::acceptCharacter(QChar character)
{
    const QString content = text();
    const bool selection = hasSelectedText();
    const bool sign = character == QLatin1Char('+') || character == QLatin1Char('-');
    const bool back = character == QChar(8);

    const int position = selection ? selectionStart() : cursorPosition();

    // Nothing may be typed before a minus sign.
    if (!selection && position == 0 && content.contains(QLatin1Char('-')) && !back) {
        refuseCharacter();
        return false;
    }
    // A sign only at the start, and a second minus only in place of a selected one.
    if (m_autoriseSigne && sign
        && !(position == 0 && (!content.contains(QLatin1Char('-')) || selection))) {
        refuseCharacter();
        return false;
    }
    if (!TCustomSaisie::acceptCharacter(character))
        return false;
    if (back)
        return true;

    if (m_valeurMax < 0 && !content.startsWith(QLatin1Char('-')) && character != QLatin1Char('-')) {
        warn(QStringLiteral("La valeur doit être comprise entre %1 et %2.").arg(m_valeurMin).arg(m_valeurMax));
        return false;
    }

    if (m_valeurMin != m_valeurMax) {
        QString after = content;
        if (selection)
            after.replace(selectionStart(), selectedText().size(), character);
        else
            after.insert(cursorPosition(), character);
        const qlonglong limit = m_valeurMax < 0 ? -qlonglong(m_valeurMin) : m_valeurMax;
        qlonglong number = 0;
        if (readNumber(after, number) && number > limit) {
            reportMax();
            selectAll();
            return false;
        }
    }
    return true;
}

void TSaisieEntier::reportMax()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TSaisieEntier::maxExceeded))) {
        emit maxExceeded();
        return;
    }
    warn(QStringLiteral("La valeur doit être inférieure ou égale à %1.").arg(m_valeurMax));
}

void TSaisieEntier::reportMin()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TSaisieEntier::minExceeded))) {
        emit minExceeded();
        return;
    }
    warn(QStringLiteral("La valeur doit être supérieure ou égale à %1.").arg(m_valeurMin));
}

void TSaisieEntier::warn(const QString &message)
{
    // The beep follows Beep; the box itself stays silent, or a user who switched the beep
    // off would hear it all the same.
    if (Beep())
        beep();
    warningMessage(message, false);
}

QString TSaisieEntier::withoutLeadingZeros(const QString &content)
{
    QString result;
    bool digitSeen = false;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const QChar c = content.at(i);
        const bool zeroOrBlank = c == QLatin1Char('0') || c == QLatin1Char(' ');
        if (!digitSeen && zeroOrBlank && i != content.size() - 1)
            continue;
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9'))
            digitSeen = true;
        result += c;
    }
    return result.isEmpty() ? QStringLiteral("0") : result;
}

void TSaisieEntier::enter()
{
    setText(withoutLeadingZeros(text()));
    TCustomSaisie::enter();
}

void TSaisieEntier::quitter()
{
    if (m_valeurMin != m_valeurMax) {
        qlonglong number = 0;
        if (!readNumber(text(), number)) {
            setText(defaultValue());
            beep();
        } else if (number > m_valeurMax) {
            setText(defaultValue());
            reportMax();
        } else if (number < m_valeurMin) {
            setText(defaultValue());
            reportMin();
        }
    }
    if (text().isEmpty())
        setText(QStringLiteral("0"));
    TCustomSaisie::quitter();
    if (!m_completeAuto)
        setText(withoutLeadingZeros(text()));
}
