#pragma once
// The slideshow's picture area: the photo centred on black, and the left click that moves on.
#include <QImage>
#include <QWidget>

class PhotoArea : public QWidget {
    Q_OBJECT
public:
    explicit PhotoArea(QWidget *parent = nullptr);

    // A null picture leaves the area black. Painted at once, so that a turn shows before the
    // file is rewritten.
    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }
    // Where the picture stands in the area.
    QRect pictureRect() const;

signals:
    // Left button pressed and released over the area.
    void clicked();
    void resized();
    // A paint of the area has ended.
    void painted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QImage m_picture;
    bool m_pressed = false;
};
