#pragma once
// A pair of small up and down arrow buttons that sit inside an edit and never take its focus.
#include <QWidget>

class QToolButton;

class UpDownArrows : public QWidget {
    Q_OBJECT
public:
    explicit UpDownArrows(QWidget *parent = nullptr);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

signals:
    void up();
    void down();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_up;
    QToolButton *m_down;
};
