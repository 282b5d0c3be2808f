#include "controls/grid/gridmodel.h"

GridModel::GridModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_colonnes;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return content(index.column(), index.row());
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    setText(index.column(), index.row(), value.toString());
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return cellFlags ? cellFlags(index.column(), index.row()) : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridModel::setDimensions(int columns, int lines)
{
    columns = qMax(0, columns);
    lines = qMax(0, lines);
    if (lines < m_rows.size()) {
        beginRemoveRows(QModelIndex(), lines, int(m_rows.size()) - 1);
        m_rows.resize(lines);
        endRemoveRows();
    }
    if (columns < m_colonnes) {
        beginRemoveColumns(QModelIndex(), columns, m_colonnes - 1);
        m_colonnes = columns;
        for (QStringList &line : m_rows)
            line.resize(columns);
        endRemoveColumns();
    } else if (columns > m_colonnes) {
        beginInsertColumns(QModelIndex(), m_colonnes, columns - 1);
        m_colonnes = columns;
        for (QStringList &line : m_rows)
            line.resize(columns);
        endInsertColumns();
    }
    if (lines > m_rows.size()) {
        beginInsertRows(QModelIndex(), int(m_rows.size()), lines - 1);
        m_rows.resize(lines, QStringList(QList<QString>(m_colonnes)));
        endInsertRows();
    }
}

QString GridModel::content(int column, int line) const
{
    if (line < 0 || line >= m_rows.size() || column < 0 || column >= m_colonnes)
        return QString();
    return m_rows.at(line).at(column);
}

void GridModel::setText(int column, int line, const QString &content)
{
    if (line < 0 || line >= m_rows.size() || column < 0 || column >= m_colonnes)
        return;
    if (m_rows.at(line).at(column) == content)
        return;
    m_rows[line][column] = content;
    const QModelIndex cell = index(line, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}
