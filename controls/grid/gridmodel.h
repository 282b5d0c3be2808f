#pragma once
// The text of a grid's cells, addressed by column and row, behind the table view.
#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

#include <functional>

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setDimensions(int columns, int lines);
    // Empty outside the grid; a text written outside the grid is dropped.
    QString content(int column, int line) const;
    void setText(int column, int line, const QString &content);

    // Asked for the flags of each cell (selectable, editable), which depend on the definitions.
    std::function<Qt::ItemFlags(int column, int line)> cellFlags;

private:
    int m_colonnes = 0;
    QVector<QStringList> m_rows;
};
