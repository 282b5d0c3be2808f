#include "controls/saisiebouton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>

TNewSpeedButton::TNewSpeedButton(QWidget *parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setCursor(Qt::ArrowCursor);
}

TCustomSaisieBouton::TCustomSaisieBouton(QWidget *parent)
    : TCustomSaisie(parent)
    , m_bouton(new TNewSpeedButton(this))
{
    m_bouton->setObjectName(QStringLiteral("sbBouton"));
    m_bouton->resize(25, 25);
    connect(m_bouton, &QToolButton::clicked, this, [this] { actionBouton(); });
    setMinimumHeight(hauteurMinimale());
    disposer();
}

void TCustomSaisieBouton::setAfficheBouton(bool affiche)
{
    m_afficheBouton = affiche;
    disposer();
}

void TCustomSaisieBouton::setLargeurBouton(int largeur)
{
    m_largeurBouton = largeur;
    disposer();
}

void TCustomSaisieBouton::setGlyph(const QPixmap &image, int nbGlyph)
{
    m_nbGlyph = qMax(1, nbGlyph);
    QPixmap etat = image;
    if (m_nbGlyph > 1 && !image.isNull())
        etat = image.copy(0, 0, image.width() / m_nbGlyph, image.height());
    m_bouton->setIcon(QIcon(etat));
    if (!etat.isNull())
        m_bouton->setIconSize(etat.deviceIndependentSize().toSize());
}

int TCustomSaisieBouton::hauteurMinimale() const
{
    // Room for the frame (four border lines), a quarter of a line of spacing and one line.
    const int bordure = 1;
    const int systeme = QFontMetrics(QApplication::font()).height();
    const int propre = fontMetrics().height();
    return 4 * bordure + qMin(systeme, propre) / 4 + propre;
}

void TCustomSaisieBouton::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers touches = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (event->key() == Qt::Key_F4 && !(event->modifiers() & touches) && m_afficheBouton) {
        event->accept();
        actionBouton();
        return;
    }
    TCustomSaisie::keyPressEvent(event);
}

void TCustomSaisieBouton::resizeEvent(QResizeEvent *event)
{
    TCustomSaisie::resizeEvent(event);
    disposer();
}

void TCustomSaisieBouton::changeEvent(QEvent *event)
{
    TCustomSaisie::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setMinimumHeight(hauteurMinimale());
        disposer();
    }
}

void TCustomSaisieBouton::disposer()
{
    m_bouton->setVisible(m_afficheBouton);
    if (m_afficheBouton) {
        m_bouton->setGeometry(width() - m_largeurBouton - 1, 1, m_largeurBouton, height() - 2);
        setTextMargins(0, 0, m_largeurBouton, 0);
    } else {
        setTextMargins(0, 0, 2, 0);
    }
}

TSaisieListe::TSaisieListe(QWidget *parent)
    : TCustomSaisieBouton(parent)
{
    setGlyph(QPixmap(QStringLiteral(":/controls/BLISTE")));
    bouton()->setToolTip(QStringLiteral("Parcourir (F4)"));
}

void TSaisieListe::actionBouton()
{
    setFocus(Qt::OtherFocusReason);
    emit listeClick();
}
