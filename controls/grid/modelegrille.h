#pragma once
// The text of a grid's cells, addressed by column and row, behind the table view.
#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

#include <functional>

class ModeleGrille : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ModeleGrille(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void setDimensions(int colonnes, int lignes);
    // Empty outside the grid; a text written outside the grid is dropped.
    QString texte(int colonne, int ligne) const;
    void setTexte(int colonne, int ligne, const QString &texte);

    // Asked for the flags of each cell (selectable, editable), which depend on the definitions.
    std::function<Qt::ItemFlags(int colonne, int ligne)> drapeaux;

private:
    int m_colonnes = 0;
    QVector<QStringList> m_lignes;
};
