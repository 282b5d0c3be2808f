#pragma once
// Where the cursor of a grid goes with the moving keys, among the cells it may stop on: Left
// and Right in reading order, Up and Down in the column, both wrapping round the non-fixed
// cells. A cell is (column, row); (-1, -1) stands for no cell.
#include <QPoint>

#include <functional>

class GridNavigation {
public:
    enum class Direction { Left, Right, Up, Down };

    GridNavigation(int columns, int lines, int fixedColumns, int fixedRows,
                     std::function<bool(int column, int line)> selectable);

    // The next cell the cursor may stop on from the one given, or that one when the search
    // comes back to it; from no cell, the first (Right, Down) or last (Left, Up) cell.
    QPoint next(QPoint start, Direction direction) const;
    // The first cell in reading order, or the last.
    QPoint first(bool fromTheEnd) const;
    // The first cell of the row, or its last.
    QPoint inTheRow(int line, bool fromTheEnd) const;
    // A page of rows further in the column: the cell nearest to the page's end, back towards
    // the start; the start when there is none.
    QPoint page(QPoint start, int rowsPerPage, bool downwards) const;

private:
    int m_colonnes, m_rows, m_fixedColumns, m_fixedRows;
    std::function<bool(int, int)> m_selectable;
};
