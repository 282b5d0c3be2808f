#include "controls/grid/navigationgrille.h"

#include <QtGlobal>

namespace {
const QPoint Aucune(-1, -1);
}

NavigationGrille::NavigationGrille(int colonnes, int lignes, int colonnesFixes, int lignesFixes,
                                   std::function<bool(int, int)> selectionnable)
    : m_colonnes(colonnes)
    , m_lignes(lignes)
    , m_colonnesFixes(colonnesFixes)
    , m_lignesFixes(lignesFixes)
    , m_selectionnable(std::move(selectionnable))
{
}

QPoint NavigationGrille::suivante(QPoint depart, Sens sens) const
{
    if (depart == Aucune)
        return premiere(sens == Sens::Gauche || sens == Sens::Haut);
    int c = depart.x(), r = depart.y();
    // Every cell is visited at most once: the search ends when it comes back to its start cell.
    // Ending it when it reaches the starting column again would keep Right from ever finding the
    // same column one row further when the columns between do not stop the cursor.
    for (;;) {
        switch (sens) {
        case Sens::Droite:
            if (++c >= m_colonnes) {
                c = m_colonnesFixes;
                if (++r >= m_lignes)
                    r = m_lignesFixes;
            }
            break;
        case Sens::Gauche:
            if (--c < m_colonnesFixes) {
                c = m_colonnes - 1;
                if (--r < m_lignesFixes)
                    r = m_lignes - 1;
            }
            break;
        case Sens::Bas:
            if (++r >= m_lignes)
                r = m_lignesFixes;
            break;
        case Sens::Haut:
            if (--r < m_lignesFixes)
                r = m_lignes - 1;
            break;
        }
        if (QPoint(c, r) == depart)
            return depart;
        if (m_selectionnable(c, r))
            return QPoint(c, r);
    }
}

QPoint NavigationGrille::premiere(bool depuisLaFin) const
{
    for (int i = m_lignesFixes; i < m_lignes; ++i) {
        const QPoint trouvee = dansLaLigne(depuisLaFin ? m_lignes - 1 - (i - m_lignesFixes) : i, depuisLaFin);
        if (trouvee != Aucune)
            return trouvee;
    }
    return Aucune;
}

QPoint NavigationGrille::dansLaLigne(int ligne, bool depuisLaFin) const
{
    for (int i = m_colonnesFixes; i < m_colonnes; ++i) {
        const int c = depuisLaFin ? m_colonnes - 1 - (i - m_colonnesFixes) : i;
        if (m_selectionnable(c, ligne))
            return QPoint(c, ligne);
    }
    return Aucune;
}

QPoint NavigationGrille::page(QPoint depart, int lignesParPage, bool versLeBas) const
{
    if (depart == Aucune)
        return premiere(!versLeBas);
    const int pas = qMax(1, lignesParPage);
    const int c = depart.x();
    int cible = versLeBas ? qMin(depart.y() + pas, m_lignes - 1) : qMax(depart.y() - pas, m_lignesFixes);
    for (; cible != depart.y(); cible += versLeBas ? -1 : 1)
        if (m_selectionnable(c, cible))
            return QPoint(c, cible);
    return depart;
}
