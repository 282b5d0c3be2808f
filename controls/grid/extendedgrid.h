#pragma once
// The program's grid: a text grid whose columns are described by definitions (width, title,
// drawing, input, style: text, button, image or drop-down list). The owner may adjust a
// definition for one cell through OnGetCellule and block cells, and is told when the cursor
// leaves an edited cell or a cell button is pressed.
#include "controls/grid/colonne.h"
#include "controls/grid/grilletexte.h"
#include "controls/grid/navigationgrille.h"

#include <QPoint>

#include <functional>
#include <optional>

class GridDelegate;

class TExtendedGrid : public GrilleTexte, private ObservateurColonnes {
    Q_OBJECT

public:
    explicit TExtendedGrid(QWidget *parent = nullptr);
    ~TExtendedGrid() override;

    // Off, cells are drawn by OnDrawCell alone.
    bool DefaultDrawing() const { return m_defaultDrawing; }
    void setDefaultDrawing(bool dessin);
    // Runs after the cell is drawn (or alone when DefaultDrawing is off).
    std::function<void(TExtendedGrid *sender, int colonne, int ligne, QPainter &canvas, const QRect &rect,
                       bool selectionnee)>
        OnDrawCell;

    // A cell may be selected when it is one of the grid's non-fixed cells, not blocked, and its
    // definition (if any) lets the cursor stop on it and is no image cell.
    bool peutSelectionner(int colonne, int ligne) const override;
    void dessinerFixe(QPainter &peintre, const QRect &rect, int colonne, int ligne) const override;

    // --- Column definitions ---------------------------------------------------------------
    TExtendedGridColonnes &Colonnes() { return m_colonnes; }
    const TExtendedGridColonnes &Colonnes() const { return m_colonnes; }
    void setColonnes(const TExtendedGridColonnes &colonnes);

    // Pictures of the buttons of button cells.
    TImageList *ImagesBouton() const { return m_imagesBouton; }
    void setImagesBouton(TImageList *images);

    // The text the cell being edited held when its editor opened.
    QString AncienneValeurCelluleEnCours() const { return m_ancienneValeur; }

    // Asked before a cell is drawn or its selection decided, with a copy of the column's
    // definition that the handler may change for that one cell.
    std::function<void(TExtendedGrid *sender, int colonne, int ligne, TColonne &cellule)> OnGetCellule;

    // The definition of a cell: its column's, as OnGetCellule leaves it; none for a column
    // beyond the definitions, whose cells behave as in a plain grid.
    std::optional<TColonne> definitionCellule(int colonne, int ligne) const;

    // --- Blocked cells, written "colonne-ligne": never selected -------------------------------
    void BloquerCellule(int colonne, int ligne);
    void DebloquerCellule(int colonne, int ligne);
    bool CelluleBloquee(int colonne, int ligne) const;
    QStringList CellulesBloquees() const { return m_bloquees; }
    void setCellulesBloquees(const QStringList &cellules);

    // The cell whose button is held down; (-1, -1) when none.
    QPoint boutonEnfonce() const { return m_boutonEnfonce; }
    // Where the button (or the drop-down arrow) of a cell stands in its rectangle.
    static QRect rectangleBouton(const QRect &cellule, const TColonne &definition);
    // Presses a cell's button as a click does.
    void cliquerBouton(int colonne, int ligne);

    GridDelegate *delegate() const { return m_delegate; }

signals:
    // The cursor left a cell in which an editor was opened.
    void exitCellule(int colonne, int ligne);
    // The button of a button cell was pressed (after the column's OnBoutonClick).
    void boutonClick(int colonne, int ligne);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void currentChanged(const QModelIndex &courant, const QModelIndex &precedent) override;
    void closeEditor(QWidget *editeur, QAbstractItemDelegate::EndEditHint hint) override;
    Qt::ItemFlags drapeaux(int colonne, int ligne) const override;
    int largeurInitiale(int colonne) const override;
    void largeurAppliquee(int colonne, int largeur) override;

private:
    friend class GridDelegate;

    // ObservateurColonnes
    Defauts defautsColonne() const override;
    void colonneModifiee(int index, bool largeur) override;
    void colonnesModifiees() override;

    bool peutEditer(int colonne, int ligne) const;
    NavigationGrille navigation() const;
    QModelIndex indexDe(QPoint cellule) const;
    // An editor opened on the cell.
    void editionCommencee(int colonne, int ligne);
    void signalerSortie();
    bool focusHorsDeLaGrille() const;

    GridDelegate *m_delegate;
    TExtendedGridColonnes m_colonnes;
    QPointer<TImageList> m_imagesBouton;
    bool m_defaultDrawing = true;
    QStringList m_bloquees;
    QString m_ancienneValeur;
    QPoint m_celluleEditee{-1, -1};
    QPoint m_boutonEnfonce{-1, -1};
};
