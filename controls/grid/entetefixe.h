#pragma once
// A band of fixed cells along the grid: above the cells for the fixed rows (one section per
// column), on their left for the fixed columns (one section per row). It scrolls with the cells
// along its length and stays in place across it.
#include <QHeaderView>

class GrilleTexte;

class EnteteFixe : public QHeaderView {
    Q_OBJECT
public:
    EnteteFixe(Qt::Orientation orientation, GrilleTexte *grille);

    // As thick as the fixed rows are high (or the fixed columns wide).
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void paintSection(QPainter *peintre, const QRect &rect, int logicalIndex) const override;

private:
    GrilleTexte *m_grille;
};

// Draws the fixed cells where the fixed rows and columns meet, over the view's corner button.
class CoinFixe : public QObject {
    Q_OBJECT
public:
    CoinFixe(QWidget *coin, GrilleTexte *grille);
    void actualiser();

protected:
    bool eventFilter(QObject *objet, QEvent *event) override;

private:
    QWidget *m_coin;
    GrilleTexte *m_grille;
};
