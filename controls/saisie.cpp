#include "controls/saisie.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaMethod>
#include <QStatusBar>

namespace {
// Focus lost to another window or to a popup menu is not the user leaving the field.
bool changesField(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
} // namespace

TCustomSaisie::TCustomSaisie(QWidget *parent)
    : QLineEdit(parent)
{
    setParametres(QStringLiteral("dfTout"));
    resize(width(), 21);
    QLineEdit::setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    applyColours();
}

void TCustomSaisie::setParametres(const QString &settings)
{
    m_parametres = settings;
    m_filtre = EditParameters(settings);
}

void TCustomSaisie::setNotEnabledColor(const QColor &colour)
{
    m_notEnabledColor = colour;
    applyColours();
}

void TCustomSaisie::setNotEnabledBackground(const QColor &colour)
{
    m_notEnabledBackground = colour;
    applyColours();
}

void TCustomSaisie::setFocusColor(const QColor &colour)
{
    m_focusColor = colour;
    applyColours();
}

void TCustomSaisie::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    if (!m_userFocus)
        QLineEdit::setAlignment(m_alignment | Qt::AlignVCenter);
}

void TCustomSaisie::setPanMsgBas(QLabel *panel)
{
    m_panLabel = panel;
}

void TCustomSaisie::setPanMsgBas(QStatusBar *bar)
{
    m_statusBar = bar;
}

QString TCustomSaisie::LireTexte()
{
    applyCompletion();
    return text();
}

void TCustomSaisie::AffecterTexte(const QString &content)
{
    setText(content);
    m_textOnEntry = content;
    applyCompletion();
}

void TCustomSaisie::AffecterEntier(int value)
{
    AffecterTexte(QString::number(value));
}

int TCustomSaisie::lengthLimit() const
{
    // QLineEdit's own default stands for "no maximum".
    return maxLength() >= 32767 ? 0 : maxLength();
}

void TCustomSaisie::applyCompletion()
{
    const QString complete = m_filtre.completer(text(), lengthLimit());
    if (complete != text())
        setText(complete);
}

void TCustomSaisie::keyPressEvent(QKeyEvent *event)
{
    const QString content = event->text();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Backspace) {
        if (!acceptCharacter(QChar(8))) {
            event->accept();
            return;
        }
    } else if (!shortcut && !content.isEmpty() && content.at(0).unicode() >= 32
               && content.at(0).unicode() != 127) {
        // A character outside the 16-bit plane cannot be one of the code page's characters.
        if (content.size() != 1) {
            refuseCharacter();
            event->accept();
            return;
        }
        if (!acceptCharacter(content.at(0))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TCustomSaisie::inputMethodEvent(QInputMethodEvent *event)
{
    // Characters composed by an input method are typed characters too.
    const QString content = event->commitString();
    for (const QChar c : content)
        if (!acceptCharacter(c)) {
            event->setCommitString(QString());
            break;
        }
    QLineEdit::inputMethodEvent(event);
}

bool TCustomSaisie::acceptCharacter(QChar character)
{
    if (m_filtre.accepts(character))
        return true;
    refuseCharacter();
    return false;
}

void TCustomSaisie::refuseCharacter()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TCustomSaisie::invalideChar)))
        emit invalideChar();
    else if (m_beep)
        beep();
}

void TCustomSaisie::beep()
{
    QApplication::beep();
}

void TCustomSaisie::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // Coming back from another window or a popup, the field was never left.
    if (!m_userFocus)
        enter();
}

void TCustomSaisie::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (changesField(event->reason()) && m_userFocus)
        quitter();
}

void TCustomSaisie::enter()
{
    m_userFocus = true;
    m_textOnEntry = text();
    QLineEdit::setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    applyColours();
    showMsgBas(m_msgBas);
    selectAll();
}

void TCustomSaisie::quitter()
{
    m_userFocus = false;
    applyCompletion();
    QLineEdit::setAlignment(m_alignment | Qt::AlignVCenter);
    applyColours();
    showMsgBas(QString());
    update();
}

void TCustomSaisie::showMsgBas(const QString &message)
{
    if (m_panLabel)
        m_panLabel->setText(message);
    if (m_statusBar) {
        if (message.isEmpty())
            m_statusBar->clearMessage();
        else
            m_statusBar->showMessage(message);
    }
}

void TCustomSaisie::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::ParentChange)
        applyColours();
}

void TCustomSaisie::applyColours()
{
    const QPalette system = QApplication::palette(this);
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Text, system.color(group, QPalette::Text));
        const bool coloured = m_userFocus && m_focusColor.isValid();
        p.setColor(group, QPalette::Base, coloured ? m_focusColor : system.color(group, QPalette::Base));
    }
    p.setColor(QPalette::Disabled, QPalette::Text,
               m_notEnabledColor.isValid() ? m_notEnabledColor
                                           : system.color(QPalette::Disabled, QPalette::Text));
    QColor background = m_notEnabledBackground;
    if (!background.isValid())
        background = parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                              : system.color(QPalette::Window);
    p.setColor(QPalette::Disabled, QPalette::Base, background);
    setPalette(p);
}

TSaisie::TSaisie(QWidget *parent)
    : TCustomSaisie(parent)
{
    setParametres(QStringLiteral("[dfLettreMajus, dfLettreMinus]"));
}
