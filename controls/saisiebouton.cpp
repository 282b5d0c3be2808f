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
    , m_button(new TNewSpeedButton(this))
{
    m_button->setObjectName(QStringLiteral("sbBouton"));
    m_button->resize(25, 25);
    connect(m_button, &QToolButton::clicked, this, [this] { buttonAction(); });
    setMinimumHeight(minimumHeight());
    arrange();
}

void TCustomSaisieBouton::setAfficheBouton(bool shown)
{
    m_afficheBouton = shown;
    arrange();
}

void TCustomSaisieBouton::setLargeurBouton(int width)
{
    m_largeurBouton = width;
    arrange();
}

void TCustomSaisieBouton::setGlyph(const QPixmap &image, int nbGlyph)
{
    m_nbGlyph = qMax(1, nbGlyph);
    QPixmap state = image;
    if (m_nbGlyph > 1 && !image.isNull())
        state = image.copy(0, 0, image.width() / m_nbGlyph, image.height());
    m_button->setIcon(QIcon(state));
    if (!state.isNull())
        m_button->setIconSize(state.deviceIndependentSize().toSize());
}

int TCustomSaisieBouton::minimumHeight() const
{
    // Room for the frame (four border lines), a quarter of a line of spacing and one line.
    const int border = 1;
    const int system = QFontMetrics(QApplication::font()).height();
    const int own = fontMetrics().height();
    return 4 * border + qMin(system, own) / 4 + own;
}

void TCustomSaisieBouton::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (event->key() == Qt::Key_F4 && !(event->modifiers() & modifiers) && m_afficheBouton) {
        event->accept();
        buttonAction();
        return;
    }
    TCustomSaisie::keyPressEvent(event);
}

void TCustomSaisieBouton::resizeEvent(QResizeEvent *event)
{
    TCustomSaisie::resizeEvent(event);
    arrange();
}

void TCustomSaisieBouton::changeEvent(QEvent *event)
{
    TCustomSaisie::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setMinimumHeight(minimumHeight());
        arrange();
    }
}

void TCustomSaisieBouton::arrange()
{
    m_button->setVisible(m_afficheBouton);
    if (m_afficheBouton) {
        m_button->setGeometry(width() - m_largeurBouton - 1, 1, m_largeurBouton, height() - 2);
        setTextMargins(0, 0, m_largeurBouton, 0);
    } else {
        setTextMargins(0, 0, 2, 0);
    }
}

TSaisieListe::TSaisieListe(QWidget *parent)
    : TCustomSaisieBouton(parent)
{
    setGlyph(QPixmap(QStringLiteral(":/controls/BLISTE")));
    button()->setToolTip(QStringLiteral("Parcourir (F4)"));
}

void TSaisieListe::buttonAction()
{
    setFocus(Qt::OtherFocusReason);
    emit listeClick();
}
