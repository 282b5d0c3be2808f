#pragma once
// Where the cursor of a grid goes with the moving keys, among the cells it may stop on: Left
// and Right in reading order, Up and Down in the column, both wrapping round the non-fixed
// cells. A cell is (column, row); (-1, -1) stands for no cell.
#include <QPoint>

#include <functional>

class NavigationGrille {
public:
    enum class Sens { Gauche, Droite, Haut, Bas };

    NavigationGrille(int colonnes, int lignes, int colonnesFixes, int lignesFixes,
                     std::function<bool(int colonne, int ligne)> selectionnable);

    // The next cell the cursor may stop on from the one given, or that one when the search
    // comes back to it; from no cell, the first (Right, Down) or last (Left, Up) cell.
    QPoint suivante(QPoint depart, Sens sens) const;
    // The first cell in reading order, or the last.
    QPoint premiere(bool depuisLaFin) const;
    // The first cell of the row, or its last.
    QPoint dansLaLigne(int ligne, bool depuisLaFin) const;
    // A page of rows further in the column: the cell nearest to the page's end, back towards
    // the start; the start when there is none.
    QPoint page(QPoint depart, int lignesParPage, bool versLeBas) const;

private:
    int m_colonnes, m_lignes, m_colonnesFixes, m_lignesFixes;
    std::function<bool(int, int)> m_selectionnable;
};
