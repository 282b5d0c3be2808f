#pragma once
// The in-place editor of a text cell: typed characters pass the column's key filter, a decimal
// value keeps its digits within the column's limits, and the value is checked before it goes
// into the cell.
#include "controls/grid/colonne.h"

#include <QLineEdit>

#include <optional>

class EditeurCellule : public QLineEdit {
    Q_OBJECT
public:
    // Without input settings (a cell with no definition) every character passes.
    EditeurCellule(QWidget *parent, const std::optional<TSaisieCellule> &saisie, TAlignment alignement);

    // Why the text may not go into the cell; empty when it may.
    QString erreurValeur() const;
    // The text as the cell keeps it: empty when an input mask holds nothing but its separators.
    QString valeur() const;

    // Shows a message box over the editor; the editor stays open meanwhile.
    void signaler(const QString &message, bool erreur);
    bool messageOuvert() const { return m_messageOuvert; }

    const std::optional<TSaisieCellule> &saisie() const { return m_saisie; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool estNombre() const;
    bool estDecimal() const;
    // The character the key stands for: a decimal mark becomes the locale's separator.
    QChar traduire(QChar caractere) const;
    bool filtreAccepte(QChar caractere) const;
    // False, after a beep or a message, when the character may not go where the caret stands.
    bool accepter(QChar caractere);

    std::optional<TSaisieCellule> m_saisie;
    QChar m_separateur;
    bool m_messageOuvert = false;
};
