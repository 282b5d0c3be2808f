#pragma once
// Draws the cells of the extended grid after their definitions and opens their editors: a
// filtered line editor for text and number cells, the date and time edits for date and time
// cells, a drop-down list for combo cells.
#include <QStyledItemDelegate>

class TExtendedGrid;
struct CellLook;

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(TExtendedGrid *grid);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    // A value the editor finds wrong leaves the cell as it was.
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // One cell in its rectangle (grid lines excluded), as the grid shows it.
    void drawCell(QPainter &painter, const QRect &rect, int column, int line) const;
    // A fixed cell with its grid lines on the right and at the bottom.
    void drawFixed(QPainter &painter, const QRect &rect, int column, int line) const;
    // The text shown in the cell when it does not fit there; empty when it does.
    QString cutText(const QRect &rect, int column, int line) const;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    CellLook presentation(int column, int line) const;
    QRect textArea(const QRect &rect, const CellLook &cell) const;
    void drawText(QPainter &painter, const QRect &zone, const CellLook &cell) const;
    void drawButton(QPainter &painter, const QRect &rect, int column, int line, const CellLook &cell) const;
    void drawImage(QPainter &painter, const QRect &rect, int column, int line, const CellLook &cell) const;
    QColor lineColour() const;

    TExtendedGrid *m_grille;
};
