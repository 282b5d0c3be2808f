#pragma once
// A picture shown as large as its area allows with its proportions kept, centred on the
// widget's background: large photos are reduced and small ones enlarged.
#include <QImage>
#include <QWidget>

class PhotoImage : public QWidget {
    Q_OBJECT
public:
    explicit PhotoImage(QWidget *parent = nullptr);

    // A null picture leaves the area empty.
    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }
    // Where the picture is drawn in the widget; empty when there is none.
    QRect pictureRect() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
};
