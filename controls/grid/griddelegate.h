#pragma once
// Draws the cells of the extended grid after their definitions and opens their editors: a
// filtered line editor for text and number cells, the date and time edits for date and time
// cells, a drop-down list for combo cells.
#include <QStyledItemDelegate>

class TExtendedGrid;
struct PresentationCellule;

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridDelegate(TExtendedGrid *grille);

    void paint(QPainter *peintre, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editeur, const QModelIndex &index) const override;
    // A value the editor finds wrong leaves the cell as it was.
    void setModelData(QWidget *editeur, QAbstractItemModel *modele, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editeur, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // One cell in its rectangle (grid lines excluded), as the grid shows it.
    void dessinerCellule(QPainter &peintre, const QRect &rect, int colonne, int ligne) const;
    // A fixed cell with its grid lines on the right and at the bottom.
    void dessinerFixe(QPainter &peintre, const QRect &rect, int colonne, int ligne) const;
    // The text shown in the cell when it does not fit there; empty when it does.
    QString texteCoupe(const QRect &rect, int colonne, int ligne) const;

protected:
    bool eventFilter(QObject *objet, QEvent *event) override;

private:
    PresentationCellule presentation(int colonne, int ligne) const;
    QRect zoneTexte(const QRect &rect, const PresentationCellule &cellule) const;
    void dessinerTexte(QPainter &peintre, const QRect &zone, const PresentationCellule &cellule) const;
    void dessinerBouton(QPainter &peintre, const QRect &rect, int colonne, int ligne, const PresentationCellule &cellule) const;
    void dessinerImage(QPainter &peintre, const QRect &rect, int colonne, int ligne, const PresentationCellule &cellule) const;
    QColor couleurLignes() const;

    TExtendedGrid *m_grille;
};
