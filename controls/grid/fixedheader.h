#pragma once
// A band of fixed cells along the grid: above the cells for the fixed rows (one section per
// column), on their left for the fixed columns (one section per row). It scrolls with the cells
// along its length and stays in place across it.
#include <QHeaderView>

class TextGrid;

class FixedHeader : public QHeaderView {
    Q_OBJECT
public:
    FixedHeader(Qt::Orientation orientation, TextGrid *grid);

    // As thick as the fixed rows are high (or the fixed columns wide).
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    TextGrid *m_grille;
};

// Draws the fixed cells where the fixed rows and columns meet, over the view's corner button.
class FixedCorner : public QObject {
    Q_OBJECT
public:
    FixedCorner(QWidget *corner, TextGrid *grid);
    void refresh();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QWidget *m_corner;
    TextGrid *m_grille;
};
