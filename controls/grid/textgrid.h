#pragma once
// A grid of text cells addressed by column and row, with fixed rows and columns that stay in
// place while the other cells scroll: the fixed rows are drawn in the band above the cells, the
// fixed columns in the band on their left. Only the cursor's cell is ever selected. How cells
// are drawn and which of them the cursor may stop on is left to the grid built on it.
#include <QColor>
#include <QTableView>

class FixedCorner;
class FixedHeader;
class GridModel;

class TextGrid : public QTableView {
    Q_OBJECT

public:
    enum TGridOption {
        goEditing = 0x1,           // cells open an editor (double click, F2, Enter or typing)
        goDrawFocusSelected = 0x2, // the cursor's cell stays highlighted without the focus
        goColSizing = 0x4,         // the user may drag column borders in the title band
        goTabs = 0x8,              // Tab and Shift+Tab move between cells instead of controls
    };
    Q_DECLARE_FLAGS(TGridOptions, TGridOption)

    // 5 columns and 5 rows, one fixed column and one fixed row, columns 64 and rows 24 pixels.
    explicit TextGrid(QWidget *parent = nullptr);
    ~TextGrid() override;

    int ColCount() const;
    void setColCount(int columns);
    int RowCount() const;
    void setRowCount(int lines);
    // As many as asked, as far as the grid reaches: a grid emptied of its rows and filled
    // again gets its fixed rows back. A grid may hold its fixed rows alone.
    int FixedCols() const;
    void setFixedCols(int columns);
    int FixedRows() const;
    void setFixedRows(int lines);

    // Empty outside the grid; writing outside the grid does nothing.
    QString Cells(int column, int line) const;
    void setCells(int column, int line, const QString &content);

    // A new default column width applies to the columns that have no width of their own; a
    // new default row height to every row.
    int DefaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int width);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int height);
    int ColWidths(int column) const;
    void setColWidths(int column, int width);
    int RowHeights(int line) const;
    void setRowHeights(int line, int height);

    // Background of the cells and of the empty area; background of the fixed cells.
    QColor Color() const { return m_color; }
    void setColor(const QColor &colour);
    QColor FixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor &colour);

    TGridOptions Options() const { return m_options; }
    void setOptions(TGridOptions options);

    // The cursor's cell; -1 for both when no cell is selected.
    int Col() const;
    int Row() const;
    // Moves the cursor to the cell when it may be selected; false (nothing changes) otherwise.
    bool setCurrentCell(int column, int line);
    // Here: any cell that is not fixed.
    virtual bool canSelect(int column, int line) const;

    // Draws a cell of the fixed bands in its rectangle, with its grid lines.
    virtual void drawFixed(QPainter &painter, const QRect &rect, int column, int line) const = 0;

protected:
    // What a cell allows (selection, editing); asked whenever the view needs it.
    virtual Qt::ItemFlags cellFlags(int column, int line) const;
    // The width a column takes when it is added or the default width changes.
    virtual int initialWidth(int column) const;
    // A column's width changed, by the program or by the user.
    virtual void appliedWidth(int, int) {}

    // The cursor leaves a cell the grid no longer lets it stop on.
    void checkCurrent();
    void repaint();

    void keyboardSearch(const QString &) override {}
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void applyWidth(int column, int width);
    void hideFixed();

    GridModel *m_model;
    FixedHeader *m_rowBand;   // the fixed rows, above the cells
    FixedHeader *m_columnBand; // the fixed columns, on their left
    FixedCorner *m_corner = nullptr;  // where they meet
    QVector<int> m_widths, m_heights;
    int m_fixedCols = 0, m_fixedRows = 0;
    int m_hiddenColumns = 0, m_hiddenRows = 0;
    int m_defaultColWidth = 64, m_defaultRowHeight = 24;
    QColor m_color, m_fixedColor;
    TGridOptions m_options;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TextGrid::TGridOptions)
