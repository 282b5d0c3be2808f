#pragma once
// A pair of small up and down arrow buttons that sit inside an edit and never take its focus.
#include <QWidget>

class QToolButton;

class TFlecheHautBas : public QWidget {
    Q_OBJECT
public:
    explicit TFlecheHautBas(QWidget *parent = nullptr);

    QToolButton *boutonHaut() const { return m_haut; }
    QToolButton *boutonBas() const { return m_bas; }

signals:
    void haut();
    void bas();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_haut;
    QToolButton *m_bas;
};
