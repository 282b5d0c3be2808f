#include "controls/grid/modelegrille.h"

ModeleGrille::ModeleGrille(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int ModeleGrille::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lignes.size());
}

int ModeleGrille::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_colonnes;
}

QVariant ModeleGrille::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return texte(index.column(), index.row());
}

bool ModeleGrille::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    setTexte(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags ModeleGrille::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return drapeaux ? drapeaux(index.column(), index.row()) : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ModeleGrille::setDimensions(int colonnes, int lignes)
{
    colonnes = qMax(0, colonnes);
    lignes = qMax(0, lignes);
    if (lignes < m_lignes.size()) {
        beginRemoveRows(QModelIndex(), lignes, int(m_lignes.size()) - 1);
        m_lignes.resize(lignes);
        endRemoveRows();
    }
    if (colonnes < m_colonnes) {
        beginRemoveColumns(QModelIndex(), colonnes, m_colonnes - 1);
        m_colonnes = colonnes;
        for (QStringList &ligne : m_lignes)
            ligne.resize(colonnes);
        endRemoveColumns();
    } else if (colonnes > m_colonnes) {
        beginInsertColumns(QModelIndex(), m_colonnes, colonnes - 1);
        m_colonnes = colonnes;
        for (QStringList &ligne : m_lignes)
            ligne.resize(colonnes);
        endInsertColumns();
    }
    if (lignes > m_lignes.size()) {
        beginInsertRows(QModelIndex(), int(m_lignes.size()), lignes - 1);
        m_lignes.resize(lignes, QStringList(QList<QString>(m_colonnes)));
        endInsertRows();
    }
}

QString ModeleGrille::texte(int colonne, int ligne) const
{
    if (ligne < 0 || ligne >= m_lignes.size() || colonne < 0 || colonne >= m_colonnes)
        return QString();
    return m_lignes.at(ligne).at(colonne);
}

void ModeleGrille::setTexte(int colonne, int ligne, const QString &texte)
{
    if (ligne < 0 || ligne >= m_lignes.size() || colonne < 0 || colonne >= m_colonnes)
        return;
    if (m_lignes.at(ligne).at(colonne) == texte)
        return;
    m_lignes[ligne][colonne] = texte;
    const QModelIndex cellule = index(ligne, colonne);
    emit dataChanged(cellule, cellule, {Qt::DisplayRole, Qt::EditRole});
}
