#pragma once
// The program's grid: a text grid whose columns are described by definitions (width, title,
// drawing, input, style: text, button, image or drop-down list). The owner may adjust a
// definition for one cell through OnGetCellule and block cells, and is told when the cursor
// leaves an edited cell or a cell button is pressed.
#include "controls/grid/colonne.h"
#include "controls/grid/textgrid.h"
#include "controls/grid/gridnavigation.h"

#include <QPoint>

#include <functional>
#include <optional>

class GridDelegate;

class TExtendedGrid : public TextGrid, private ColumnObserver {
    Q_OBJECT

public:
    explicit TExtendedGrid(QWidget *parent = nullptr);
    ~TExtendedGrid() override;

    // Off, cells are drawn by OnDrawCell alone.
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void setDefaultDrawing(bool drawing);
    // Runs after the cell is drawn (or alone when DefaultDrawing is off).
    std::function<void(TExtendedGrid *sender, int column, int line, QPainter &canvas, const QRect &rect,
                       bool selected)>
        OnDrawCell;

    // A cell may be selected when it is one of the grid's non-fixed cells, not blocked, and its
    // definition (if any) lets the cursor stop on it and is no image cell.
    bool canSelect(int column, int line) const override;
    void drawFixed(QPainter &painter, const QRect &rect, int column, int line) const override;

    // --- Column definitions ---------------------------------------------------------------
    TExtendedGridColonnes &Colonnes() { return m_colonnes; }
    const TExtendedGridColonnes &Colonnes() const { return m_colonnes; }
    void setColonnes(const TExtendedGridColonnes &columns);

    // Pictures of the buttons of button cells.
    TImageList *ImagesBouton() const { return m_imagesBouton; }
    void setImagesBouton(TImageList *images);

    // The text the cell being edited held when its editor opened.
    QString AncienneValeurCelluleEnCours() const { return m_oldValue; }

    // Asked before a cell is drawn or its selection decided, with a copy of the column's
    // definition that the handler may change for that one cell.
    std::function<void(TExtendedGrid *sender, int column, int line, TColonne &cell)> OnGetCellule;

    // The definition of a cell: its column's, as OnGetCellule leaves it; none for a column
    // beyond the definitions, whose cells behave as in a plain grid.
    std::optional<TColonne> cellDefinition(int column, int line) const;

    // --- Blocked cells, written "colonne-ligne": never selected -------------------------------
    void lockCell(int column, int line);
    void unlockCell(int column, int line);
    bool isCellLocked(int column, int line) const;
    QStringList lockedCells() const { return m_locked; }
    void setLockedCells(const QStringList &cells);

    // The cell whose button is held down; (-1, -1) when none.
    QPoint buttonPressed() const { return m_buttonPressed; }
    // Where the button (or the drop-down arrow) of a cell stands in its rectangle.
    static QRect buttonRect(const QRect &cell, const TColonne &definition);
    // Presses a cell's button as a click does.
    void clickButton(int column, int line);

    GridDelegate *delegate() const { return m_delegate; }

signals:
    // The cursor left a cell in which an editor was opened.
    void exitCellule(int column, int line);
    // The button of a button cell was pressed (after the column's OnBoutonClick).
    void boutonClick(int column, int line);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    Qt::ItemFlags cellFlags(int column, int line) const override;
    int initialWidth(int column) const override;
    void appliedWidth(int column, int width) override;

private:
    friend class GridDelegate;

    // ColumnObserver
    Defaults columnDefaults() const override;
    void columnChanged(int index, bool width) override;
    void columnsChanged() override;

    bool canEdit(int column, int line) const;
    GridNavigation navigation() const;
    QModelIndex indexOf(QPoint cell) const;
    // An editor opened on the cell.
    void editStarted(int column, int line);
    void reportExit();
    bool focusOutsideTheGrid() const;

    GridDelegate *m_delegate;
    TExtendedGridColonnes m_colonnes;
    QPointer<TImageList> m_imagesBouton;
    bool m_defaultDrawing = true;
    QStringList m_locked;
    QString m_oldValue;
    QPoint m_editedCell{-1, -1};
    QPoint m_buttonPressed{-1, -1};
};
