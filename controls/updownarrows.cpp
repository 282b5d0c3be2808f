#include "controls/updownarrows.h"

#include <QToolButton>

namespace {
QToolButton *makeArrow(QWidget *parent, Qt::ArrowType direction, const QString &nom)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(nom);
    button->setArrowType(direction);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeat(true);
    button->setCursor(Qt::ArrowCursor);
    return button;
}
} // namespace

UpDownArrows::UpDownArrows(QWidget *parent)
    : QWidget(parent)
    , m_up(makeArrow(this, Qt::UpArrow, QStringLiteral("sbHaut")))
    , m_down(makeArrow(this, Qt::DownArrow, QStringLiteral("sbBas")))
{
    setFocusPolicy(Qt::NoFocus);
    connect(m_up, &QToolButton::clicked, this, &UpDownArrows::up);
    connect(m_down, &QToolButton::clicked, this, &UpDownArrows::down);
    resize(15, 25);
}

void UpDownArrows::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
