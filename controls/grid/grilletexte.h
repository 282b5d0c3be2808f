#pragma once
// A grid of text cells addressed by column and row, with fixed rows and columns that stay in
// place while the other cells scroll: the fixed rows are drawn in the band above the cells, the
// fixed columns in the band on their left. Only the cursor's cell is ever selected. How cells
// are drawn and which of them the cursor may stop on is left to the grid built on it.
#include <QColor>
#include <QTableView>

class CoinFixe;
class EnteteFixe;
class ModeleGrille;

class GrilleTexte : public QTableView {
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
    explicit GrilleTexte(QWidget *parent = nullptr);
    ~GrilleTexte() override;

    int ColCount() const;
    void setColCount(int colonnes);
    int RowCount() const;
    void setRowCount(int lignes);
    // As many as asked, as far as the grid reaches: a grid emptied of its rows and filled
    // again gets its fixed rows back. A grid may hold its fixed rows alone.
    int FixedCols() const;
    void setFixedCols(int colonnes);
    int FixedRows() const;
    void setFixedRows(int lignes);

    // Empty outside the grid; writing outside the grid does nothing.
    QString Cells(int colonne, int ligne) const;
    void setCells(int colonne, int ligne, const QString &texte);

    // A new default column width applies to the columns that have no width of their own; a
    // new default row height to every row.
    int DefaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int largeur);
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int hauteur);
    int ColWidths(int colonne) const;
    void setColWidths(int colonne, int largeur);
    int RowHeights(int ligne) const;
    void setRowHeights(int ligne, int hauteur);

    // Background of the cells and of the empty area; background of the fixed cells.
    QColor Color() const { return m_color; }
    void setColor(const QColor &couleur);
    QColor FixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor &couleur);

    TGridOptions Options() const { return m_options; }
    void setOptions(TGridOptions options);

    // The cursor's cell; -1 for both when no cell is selected.
    int Col() const;
    int Row() const;
    // Moves the cursor to the cell when it may be selected; false (nothing changes) otherwise.
    bool setCelluleCourante(int colonne, int ligne);
    // Here: any cell that is not fixed.
    virtual bool peutSelectionner(int colonne, int ligne) const;

    // Draws a cell of the fixed bands in its rectangle, with its grid lines.
    virtual void dessinerFixe(QPainter &peintre, const QRect &rect, int colonne, int ligne) const = 0;

protected:
    // What a cell allows (selection, editing); asked whenever the view needs it.
    virtual Qt::ItemFlags drapeaux(int colonne, int ligne) const;
    // The width a column takes when it is added or the default width changes.
    virtual int largeurInitiale(int colonne) const;
    // A column's width changed, by the program or by the user.
    virtual void largeurAppliquee(int, int) {}

    // The cursor leaves a cell the grid no longer lets it stop on.
    void verifierCourante();
    void redessiner();

    void keyboardSearch(const QString &) override {}
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &courant, const QModelIndex &precedent) override;

private:
    void appliquerLargeur(int colonne, int largeur);
    void cacherFixes();

    ModeleGrille *m_modele;
    EnteteFixe *m_bandeLignes;   // the fixed rows, above the cells
    EnteteFixe *m_bandeColonnes; // the fixed columns, on their left
    CoinFixe *m_coin = nullptr;  // where they meet
    QVector<int> m_largeurs, m_hauteurs;
    int m_fixedCols = 0, m_fixedRows = 0;
    int m_colonnesCachees = 0, m_lignesCachees = 0;
    int m_defaultColWidth = 64, m_defaultRowHeight = 24;
    QColor m_color, m_fixedColor;
    TGridOptions m_options;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(GrilleTexte::TGridOptions)
