#include "controls/grid/gridnavigation.h"

#include <QtGlobal>

namespace {
const QPoint None(-1, -1);
}

GridNavigation::GridNavigation(int columns, int lines, int fixedColumns, int fixedRows,
                                   std::function<bool(int, int)> selectable)
    : m_colonnes(columns)
    , m_rows(lines)
    , m_fixedColumns(fixedColumns)
    , m_fixedRows(fixedRows)
    , m_selectable(std::move(selectable))
{
}

QPoint GridNavigation::next(QPoint start, Direction direction) const
{
    if (start == None)
        return first(direction == Direction::Left || direction == Direction::Up);
    int c = start.x(), r = start.y();
    // Every cell is visited at most once: the search ends when it comes back to its start cell.
    // Ending it when it reaches the starting column again would keep Right from ever finding the
    // same column one row further when the columns between do not stop the cursor.
    for (;;) {
        switch (direction) {
        case Direction::Right:
            if (++c >= m_colonnes) {
                c = m_fixedColumns;
                if (++r >= m_rows)
                    r = m_fixedRows;
            }
            break;
        case Direction::Left:
            if (--c < m_fixedColumns) {
                c = m_colonnes - 1;
                if (--r < m_fixedRows)
                    r = m_rows - 1;
            }
            break;
        case Direction::Down:
            if (++r >= m_rows)
                r = m_fixedRows;
            break;
        case Direction::Up:
            if (--r < m_fixedRows)
                r = m_rows - 1;
            break;
        }
        if (QPoint(c, r) == start)
            return start;
        if (m_selectable(c, r))
            return QPoint(c, r);
    }
}

QPoint GridNavigation::first(bool fromTheEnd) const
{
    for (int i = m_fixedRows; i < m_rows; ++i) {
        const QPoint found = inTheRow(fromTheEnd ? m_rows - 1 - (i - m_fixedRows) : i, fromTheEnd);
        if (found != None)
            return found;
    }
    return None;
}

QPoint GridNavigation::inTheRow(int line, bool fromTheEnd) const
{
    for (int i = m_fixedColumns; i < m_colonnes; ++i) {
        const int c = fromTheEnd ? m_colonnes - 1 - (i - m_fixedColumns) : i;
        if (m_selectable(c, line))
            return QPoint(c, line);
    }
    return None;
}

QPoint GridNavigation::page(QPoint start, int rowsPerPage, bool downwards) const
{
    if (start == None)
        return first(!downwards);
    const int step = qMax(1, rowsPerPage);
    const int c = start.x();
    int target = downwards ? qMin(start.y() + step, m_rows - 1) : qMax(start.y() - step, m_fixedRows);
    for (; target != start.y(); target += downwards ? -1 : 1)
        if (m_selectable(c, target))
            return QPoint(c, target);
    return start;
}
