#include "controls/saisieheure.h"

#include "controls/updownarrows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocale>
#include <QTime>

#include <cmath>

namespace {
constexpr int ArrowsWidth = 15;

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString withoutBlanks(QString content)
{
    return content.remove(QLatin1Char(' '));
}

bool number(const QString &content, int &value)
{
    if (content.isEmpty() || content.size() > 2)
        return false;
    for (const QChar c : content)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    value = content.toInt();
    return true;
}

// A field without blanks, an empty one replaced by its last valid value, padded to two digits.
QString tidyField(const QString &field, const QString &valid)
{
    QString own = withoutBlanks(field);
    if (own.isEmpty())
        own = valid;
    if (own.size() == 1)
        own.prepend(QLatin1Char('0'));
    return own;
}
} // namespace

bool TSaisieHeure::formatLocale24(const QLocale &locale)
{
    return !locale.timeFormat(QLocale::ShortFormat).contains(QLatin1Char('a'), Qt::CaseInsensitive);
}

TSaisieHeure::TSaisieHeure(QWidget *parent)
    : QLineEdit(parent)
    , m_arrows(new UpDownArrows(this))
{
    m_arrows->setObjectName(QStringLiteral("udHeure"));
    m_arrows->resize(ArrowsWidth, 25);
    connect(m_arrows, &UpDownArrows::up, this, [this] {
        setFocus(Qt::OtherFocusReason);
        stepUp();
    });
    connect(m_arrows, &UpDownArrows::down, this, [this] {
        setFocus(Qt::OtherFocusReason);
        stepDown();
    });
    resize(89, 25);

    const QLocale locale;
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    for (const QChar c : format)
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) {
            m_separator = c;
            break;
        }
    m_format24 = formatLocale24(locale);

    const QTime now = QTime::currentTime();
    int hours = now.hour();
    m_afternoon = hours >= 13;
    if (!m_format24) {
        if (hours == 0) {
            hours = 12;
            m_afternoon = true;
        } else if (hours > 12) {
            hours -= 12;
        }
    }
    m_hours = twoDigits(hours);
    m_minutes = twoDigits(now.minute());
    m_hoursValid = m_hours;
    m_minutesValid = m_minutes;
    applyMask();
    AfficherHeure();

    connect(this, &QLineEdit::textChanged, this, &TSaisieHeure::onChange);
    setMinimumHeight(4 + qMin(QFontMetrics(QApplication::font()).height(), fontMetrics().height()) / 4
                     + fontMetrics().height() + 2);
    setAfficheFleche(true);
}

void TSaisieHeure::applyMask()
{
    // A new mask rewrites the text: that is no change of the user's.
    const bool guard = m_checking;
    m_checking = true;
    const QString base = QStringLiteral("00\\") + m_separator + QStringLiteral("00");
    if (m_format24)
        setInputMask(base + QStringLiteral("; "));
    else
        setInputMask(base + (m_afternoon ? QStringLiteral(" \\P\\M; ") : QStringLiteral(" \\A\\M; ")));
    m_checking = guard;
}

void TSaisieHeure::split()
{
    const QString content = displayText();
    m_hours = content.mid(0, 2);
    m_minutes = content.mid(3, 2);
}

void TSaisieHeure::AfficherHeure()
{
    const bool guard = m_checking;
    m_checking = true;
    const int cursor = cursorPosition();
    if (!m_format24)
        applyMask();
    setText(m_hours + m_separator + m_minutes);
    setCursorPosition(cursor);
    m_checking = guard;
}

void TSaisieHeure::ControlerHeures()
{
    const QString hours = withoutBlanks(m_hours);
    if (hours.isEmpty())
        return;
    int value = -1;
    const bool valid = number(hours, value)
                        && (m_format24 ? value <= 23 : (value >= 1 && value <= 12));
    if (valid) {
        m_hoursValid = m_hours;
        m_minutesValid = m_minutes;
    } else {
        m_hours = m_hoursValid;
        AfficherHeure();
    }
}

void TSaisieHeure::ControlerMinutes()
{
    const QString minutes = withoutBlanks(m_minutes);
    if (minutes.isEmpty())
        return;
    int value = -1;
    if (number(minutes, value) && value <= 59) {
        m_hoursValid = m_hours;
        m_minutesValid = m_minutes;
    } else {
        m_minutes = m_minutesValid;
        AfficherHeure();
    }
}

void TSaisieHeure::onChange()
{
    if (m_checking)
        return;
    m_checking = true;
    split();
    if (m_typingPosition == 1)
        ControlerHeures();
    else if (m_typingPosition == 4)
        ControlerMinutes();
    m_typingPosition = -1;
    m_checking = false;
    emit change();
}

void TSaisieHeure::keyPressEvent(QKeyEvent *event)
{
    const QString content = event->text();
    if (content == QLatin1String("/")) {
        ChangerFormat24(!m_format24);
        event->accept();
        return;
    }
    if (content == QLatin1String("+")) {
        if (!m_format24) {
            split();
            m_afternoon = !m_afternoon;
        }
        applyMask();
        AfficherHeure();
        event->accept();
        return;
    }
    const int cursor = cursorPosition();
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (cursor == 0 || cursor >= 6) {
            QApplication::beep();
        } else {
            QString shown = displayText();
            if (shown.at(cursor - 1).isDigit()) {
                shown[cursor - 1] = QLatin1Char(' ');
                setText(shown);
            }
            setCursorPosition(cursor - 1);
        }
        event->accept();
        return;
    case Qt::Key_Right:
        split();
        if (cursor == 1)
            ControlerHeures();
        else if (cursor == 4)
            ControlerMinutes();
        break;
    case Qt::Key_Left:
        split();
        if (cursor == 3)
            ControlerMinutes();
        break;
    case Qt::Key_Up:
        stepUp();
        event->accept();
        return;
    case Qt::Key_Down:
        stepDown();
        event->accept();
        return;
    default:
        break;
    }
    if (!content.isEmpty() && content.at(0).isDigit()) {
        // A digit replaces the selection from its start; the mask skips the separator, so a
        // digit typed on it lands in the minutes.
        const int position = hasSelectedText() ? selectionStart() : cursor;
        m_typingPosition = position == 2 ? 3 : position;
    }
    QLineEdit::keyPressEvent(event);
    m_typingPosition = -1;
}

void TSaisieHeure::ChangerFormat24(bool format24)
{
    split();
    if (format24 == m_format24)
        return;
    m_format24 = format24;
    tidy();
    int hours = m_hours.toInt();
    if (!format24) {
        m_afternoon = hours > 12 || hours == 0;
        if (hours == 0)
            hours = 12;
        else if (hours > 12)
            hours -= 12;
    } else if (m_afternoon) {
        if (hours == 12) {
            hours = 0;
            m_afternoon = false;
        } else {
            hours += 12;
        }
    }
    m_hours = twoDigits(hours);
    applyMask();
    AfficherHeure();
}

void TSaisieHeure::tidy()
{
    m_hours = tidyField(m_hours, m_hoursValid);
    m_minutes = tidyField(m_minutes, m_minutesValid);
}

void TSaisieHeure::stepUp()
{
    step(1);
}

void TSaisieHeure::stepDown()
{
    step(-1);
}

void TSaisieHeure::step(int direction)
{
    split();
    tidy();
    // After a step the field stepped is selected: its start is where the caret stands. The
    // masked edit never leaves the caret on the separator (position 2), so every step moves
    // either the hours or the minutes.
    const int cursor = hasSelectedText() ? selectionStart() : cursorPosition();
    if (cursor < 2) {
        int hours = m_hours.toInt();
        if (m_format24) {
            hours = direction > 0 ? (hours >= 23 ? 0 : hours + 1) : (hours <= 0 ? 23 : hours - 1);
            m_afternoon = hours >= 13;
        } else if (direction > 0) {
            if (hours >= 12) {
                hours = 1;
                m_afternoon = !m_afternoon;
            } else {
                ++hours;
            }
        } else if (hours <= 1) {
            hours = 12;
            m_afternoon = !m_afternoon;
        } else {
            --hours;
        }
        m_hours = twoDigits(hours);
    } else if (cursor <= 5) {
        int minutes = m_minutes.toInt();
        minutes = direction > 0 ? (minutes >= 59 ? 0 : minutes + 1) : (minutes <= 0 ? 59 : minutes - 1);
        m_minutes = twoDigits(minutes);
    }
    m_hoursValid = m_hours;
    m_minutesValid = m_minutes;
    AfficherHeure();
    if (cursor < 2)
        setSelection(0, 2);
    else if (cursor > 2 && cursor <= 5)
        setSelection(3, 2);
}

bool TSaisieHeure::readText(const QString &content, int &hours, int &minutes) const
{
    QString own = withoutBlanks(content).toUpper();
    int marker = 0; // 1 morning, 2 afternoon
    if (own.endsWith(QLatin1String("AM")))
        marker = 1;
    else if (own.endsWith(QLatin1String("PM")))
        marker = 2;
    if (marker)
        own.chop(2);
    const QStringList fields = own.split(m_separator);
    if (fields.size() != 2 || !number(fields.at(0), hours) || !number(fields.at(1), minutes))
        return false;
    if (minutes > 59 || hours > 23)
        return false;
    if (marker) {
        if (hours < 1 || hours > 12)
            return false;
        // The control's own reading of the marker, the one its stepping follows: twelve in
        // the morning is noon, twelve in the afternoon midnight.
        if (hours == 12)
            hours = marker == 1 ? 12 : 0;
        else if (marker == 2)
            hours += 12;
    }
    return true;
}

double TSaisieHeure::LireHeure() const
{
    int hours = 0;
    int minutes = 0;
    if (!readText(displayText(), hours, minutes))
        return 0.0;
    return (hours * 60 + minutes) / 1440.0;
}

void TSaisieHeure::EcrireHeure(double hour)
{
    const double fraction = hour - std::floor(hour);
    int total = int(std::llround(fraction * 1440.0));
    if (total >= 1440)
        total = 1439;
    int hours = total / 60;
    if (!m_format24) {
        m_afternoon = hours >= 13 || hours == 0;
        if (hours == 0)
            hours = 12;
        else if (hours > 12)
            hours -= 12;
    }
    m_hours = twoDigits(hours);
    m_minutes = twoDigits(total % 60);
    m_hoursValid = m_hours;
    m_minutesValid = m_minutes;
    AfficherHeure();
    emit change();
}

void TSaisieHeure::focusOutEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        split();
        int hours = 0;
        int minutes = 0;
        if (readText(displayText(), hours, minutes)) {
            m_hours = withoutBlanks(m_hours).rightJustified(2, QLatin1Char('0'));
            m_minutes = withoutBlanks(m_minutes).rightJustified(2, QLatin1Char('0'));
            AfficherHeure();
        } else {
            setText(QString());
        }
    }
    QLineEdit::focusOutEvent(event);
}

void TSaisieHeure::setAfficheFleche(bool shown)
{
    m_afficheFleche = shown;
    resize(shown ? 55 : 50, height());
    updateGeometry();
    arrange();
}

QSize TSaisieHeure::sizeHint() const
{
    const int content = fontMetrics().horizontalAdvance(displayText() + QLatin1Char(' ')) + 10;
    const int arrows = m_afficheFleche ? ArrowsWidth : 0;
    const int width = qMax(m_afficheFleche ? 55 : 50, content + arrows);
    return {width, qMax(minimumHeight(), QLineEdit::sizeHint().height())};
}

QSize TSaisieHeure::minimumSizeHint() const
{
    return sizeHint();
}

void TSaisieHeure::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    arrange();
}

void TSaisieHeure::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        QPalette p = palette();
        p.setColor(QPalette::Disabled, QPalette::Text, QApplication::palette(this).color(QPalette::Disabled, QPalette::Mid));
        setPalette(p);
    }
}

void TSaisieHeure::arrange()
{
    m_arrows->setVisible(m_afficheFleche);
    if (m_afficheFleche) {
        m_arrows->setGeometry(width() - ArrowsWidth - 1, 1, ArrowsWidth, height() - 3);
        setTextMargins(0, 0, ArrowsWidth + 2, 0);
    } else {
        setTextMargins(0, 0, 2, 0);
    }
}
