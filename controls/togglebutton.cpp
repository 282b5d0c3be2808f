#include "controls/togglebutton.h"

ToggleButton::ToggleButton(const QIcon &downGlyph, const QString &downHint, const QIcon &upGlyph,
                               const QString &upHint, QWidget *parent)
    : QToolButton(parent), m_downGlyph(downGlyph), m_upGlyph(upGlyph), m_downHint(downHint), m_upHint(upHint)
{
    setCheckable(true);
    setAutoRaise(true);
    setIconSize(QSize(32, 32));
    connect(this, &QToolButton::toggled, this, &ToggleButton::applyState);
    applyState(false);
}

void ToggleButton::applyState(bool down)
{
    setIcon(down ? m_downGlyph : m_upGlyph);
    setToolTip(down ? m_downHint : m_upHint);
}
