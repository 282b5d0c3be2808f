#include "controls/grid/fixedheader.h"

#include "controls/grid/textgrid.h"

#include <QPaintEvent>
#include <QPainter>

FixedHeader::FixedHeader(Qt::Orientation orientation, TextGrid *grid)
    : QHeaderView(orientation, grid)
    , m_grille(grid)
{
    // The band shows cells, not column or row buttons: a click on it selects nothing.
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(0);
}

QSize FixedHeader::sizeHint() const
{
    int thickness = 0;
    if (orientation() == Qt::Horizontal)
        for (int r = 0; r < m_grille->FixedRows(); ++r)
            thickness += m_grille->RowHeights(r);
    else
        for (int c = 0; c < m_grille->FixedCols(); ++c)
            thickness += m_grille->ColWidths(c);
    return orientation() == Qt::Horizontal ? QSize(length(), thickness) : QSize(thickness, length());
}

void FixedHeader::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    // Beyond the last column (or row) lies the grid's empty area.
    painter.fillRect(event->rect(), m_grille->Color());
    for (int section = 0; section < count(); ++section) {
        if (isSectionHidden(section))
            continue;
        const int start = sectionViewportPosition(section);
        const QRect rect = orientation() == Qt::Horizontal
            ? QRect(start, 0, sectionSize(section), viewport()->height())
            : QRect(0, start, viewport()->width(), sectionSize(section));
        if (!rect.intersects(event->rect()))
            continue;
        painter.save();
        paintSection(&painter, rect, section);
        painter.restore();
    }
}

void FixedHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (orientation() == Qt::Horizontal) {
        int y = rect.top();
        for (int r = 0; r < m_grille->FixedRows(); ++r) {
            m_grille->drawFixed(*painter, QRect(rect.left(), y, rect.width(), m_grille->RowHeights(r)), logicalIndex, r);
            y += m_grille->RowHeights(r);
        }
        return;
    }
    int x = rect.left();
    for (int c = 0; c < m_grille->FixedCols(); ++c) {
        m_grille->drawFixed(*painter, QRect(x, rect.top(), m_grille->ColWidths(c), rect.height()), c, logicalIndex);
        x += m_grille->ColWidths(c);
    }
}

FixedCorner::FixedCorner(QWidget *corner, TextGrid *grid)
    : QObject(grid)
    , m_corner(corner)
    , m_grille(grid)
{
    corner->installEventFilter(this);
}

void FixedCorner::refresh()
{
    m_corner->update();
}

bool FixedCorner::eventFilter(QObject *object, QEvent *event)
{
    if (object != m_corner || event->type() != QEvent::Paint)
        return QObject::eventFilter(object, event);
    QPainter painter(m_corner);
    painter.fillRect(m_corner->rect(), m_grille->Color());
    int y = 0;
    for (int r = 0; r < m_grille->FixedRows(); ++r) {
        int x = 0;
        for (int c = 0; c < m_grille->FixedCols(); ++c) {
            m_grille->drawFixed(painter, QRect(x, y, m_grille->ColWidths(c), m_grille->RowHeights(r)), c, r);
            x += m_grille->ColWidths(c);
        }
        y += m_grille->RowHeights(r);
    }
    return true;
}
