#include "controls/saisie.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMetaMethod>
#include <QStatusBar>

namespace {
// Focus lost to another window or to a popup menu is not the user leaving the field.
bool changeDeChamp(Qt::FocusReason raison)
{
    return raison != Qt::ActiveWindowFocusReason && raison != Qt::PopupFocusReason;
}
} // namespace

TCustomSaisie::TCustomSaisie(QWidget *parent)
    : QLineEdit(parent)
{
    setParametres(QStringLiteral("dfTout"));
    resize(width(), 21);
    QLineEdit::setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    appliquerCouleurs();
}

void TCustomSaisie::setParametres(const QString &parametres)
{
    m_parametres = parametres;
    m_filtre = ParametresSaisie(parametres);
}

void TCustomSaisie::setNotEnabledColor(const QColor &couleur)
{
    m_notEnabledColor = couleur;
    appliquerCouleurs();
}

void TCustomSaisie::setNotEnabledBackground(const QColor &couleur)
{
    m_notEnabledBackground = couleur;
    appliquerCouleurs();
}

void TCustomSaisie::setFocusColor(const QColor &couleur)
{
    m_focusColor = couleur;
    appliquerCouleurs();
}

void TCustomSaisie::setAlignment(Qt::Alignment alignement)
{
    m_alignment = alignement & Qt::AlignHorizontal_Mask;
    if (!m_focusUtilisateur)
        QLineEdit::setAlignment(m_alignment | Qt::AlignVCenter);
}

void TCustomSaisie::setPanMsgBas(QLabel *panneau)
{
    m_panLabel = panneau;
}

void TCustomSaisie::setPanMsgBas(QStatusBar *barre)
{
    m_panBarre = barre;
}

QString TCustomSaisie::LireTexte()
{
    appliquerCompletion();
    return text();
}

void TCustomSaisie::AffecterTexte(const QString &texte)
{
    setText(texte);
    m_texteEntree = texte;
    appliquerCompletion();
}

void TCustomSaisie::AffecterEntier(int valeur)
{
    AffecterTexte(QString::number(valeur));
}

int TCustomSaisie::longueurMax() const
{
    // QLineEdit's own default stands for "no maximum".
    return maxLength() >= 32767 ? 0 : maxLength();
}

void TCustomSaisie::appliquerCompletion()
{
    const QString complete = m_filtre.completer(text(), longueurMax());
    if (complete != text())
        setText(complete);
}

void TCustomSaisie::keyPressEvent(QKeyEvent *event)
{
    const QString texte = event->text();
    const bool raccourci = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Backspace) {
        if (!accepterCaractere(QChar(8))) {
            event->accept();
            return;
        }
    } else if (!raccourci && !texte.isEmpty() && texte.at(0).unicode() >= 32
               && texte.at(0).unicode() != 127) {
        // A character outside the 16-bit plane cannot be one of the code page's characters.
        if (texte.size() != 1) {
            refuserCaractere();
            event->accept();
            return;
        }
        if (!accepterCaractere(texte.at(0))) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TCustomSaisie::inputMethodEvent(QInputMethodEvent *event)
{
    // Characters composed by an input method are typed characters too.
    const QString texte = event->commitString();
    for (const QChar c : texte)
        if (!accepterCaractere(c)) {
            event->setCommitString(QString());
            break;
        }
    QLineEdit::inputMethodEvent(event);
}

bool TCustomSaisie::accepterCaractere(QChar caractere)
{
    if (m_filtre.accepte(caractere))
        return true;
    refuserCaractere();
    return false;
}

void TCustomSaisie::refuserCaractere()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&TCustomSaisie::invalideChar)))
        emit invalideChar();
    else if (m_beep)
        sonner();
}

void TCustomSaisie::sonner()
{
    QApplication::beep();
}

void TCustomSaisie::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // Coming back from another window or a popup, the field was never left.
    if (!m_focusUtilisateur)
        entrer();
}

void TCustomSaisie::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (changeDeChamp(event->reason()) && m_focusUtilisateur)
        quitter();
}

void TCustomSaisie::entrer()
{
    m_focusUtilisateur = true;
    m_texteEntree = text();
    QLineEdit::setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    appliquerCouleurs();
    afficherMsgBas(m_msgBas);
    selectAll();
}

void TCustomSaisie::quitter()
{
    m_focusUtilisateur = false;
    appliquerCompletion();
    QLineEdit::setAlignment(m_alignment | Qt::AlignVCenter);
    appliquerCouleurs();
    afficherMsgBas(QString());
    update();
}

void TCustomSaisie::afficherMsgBas(const QString &message)
{
    if (m_panLabel)
        m_panLabel->setText(message);
    if (m_panBarre) {
        if (message.isEmpty())
            m_panBarre->clearMessage();
        else
            m_panBarre->showMessage(message);
    }
}

void TCustomSaisie::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::ParentChange)
        appliquerCouleurs();
}

void TCustomSaisie::appliquerCouleurs()
{
    const QPalette systeme = QApplication::palette(this);
    QPalette p = palette();
    for (QPalette::ColorGroup groupe : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(groupe, QPalette::Text, systeme.color(groupe, QPalette::Text));
        const bool colore = m_focusUtilisateur && m_focusColor.isValid();
        p.setColor(groupe, QPalette::Base, colore ? m_focusColor : systeme.color(groupe, QPalette::Base));
    }
    p.setColor(QPalette::Disabled, QPalette::Text,
               m_notEnabledColor.isValid() ? m_notEnabledColor
                                           : systeme.color(QPalette::Disabled, QPalette::Text));
    QColor fond = m_notEnabledBackground;
    if (!fond.isValid())
        fond = parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                              : systeme.color(QPalette::Window);
    p.setColor(QPalette::Disabled, QPalette::Base, fond);
    setPalette(p);
}

TSaisie::TSaisie(QWidget *parent)
    : TCustomSaisie(parent)
{
    setParametres(QStringLiteral("[dfLettreMajus, dfLettreMinus]"));
}
