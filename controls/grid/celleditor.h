#pragma once
// The in-place editor of a text cell: typed characters pass the column's key filter, a decimal
// value keeps its digits within the column's limits, and the value is checked before it goes
// into the cell.
#include "controls/grid/colonne.h"

#include <QLineEdit>

#include <optional>

class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    // Without input settings (a cell with no definition) every character passes.
    CellEditor(QWidget *parent, const std::optional<TSaisieCellule> &input, TAlignment alignment);

    // Why the text may not go into the cell; empty when it may.
    QString valueError() const;
    // The text as the cell keeps it: empty when an input mask holds nothing but its separators.
    QString value() const;

    // Shows a message box over the editor; the editor stays open meanwhile.
    void report(const QString &message, bool error);
    bool messageOpen() const { return m_messageOpen; }

    const std::optional<TSaisieCellule> &input() const { return m_saisie; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool isNumber() const;
    bool isDecimal() const;
    // The character the key stands for: a decimal mark becomes the locale's separator.
    QChar translate(QChar character) const;
    bool filterAccepts(QChar character) const;
    // False, after a beep or a message, when the character may not go where the caret stands.
    bool accept(QChar character);

    std::optional<TSaisieCellule> m_saisie;
    QChar m_separator;
    bool m_messageOpen = false;
};
