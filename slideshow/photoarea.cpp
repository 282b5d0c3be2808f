#include "slideshow/photoarea.h"

#include "core/workflows/slideshowpicture.h"

#include <QMouseEvent>
#include <QPainter>

PhotoArea::PhotoArea(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void PhotoArea::setPicture(const QImage &picture)
{
    m_picture = picture;
    repaint();
}

QRect PhotoArea::pictureRect() const
{
    const QSize size = fillingSize(m_picture.size(), this->size());
    if (size.isEmpty())
        return {};
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void PhotoArea::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect target = pictureRect();
    // Black around the photo only: the photo itself covers the rest.
    const QRegion borders = QRegion(rect()).subtracted(QRegion(target));
    for (const QRect &part : borders)
        painter.fillRect(part, Qt::black);
    if (!target.isEmpty()) {
        // Already fitted by the player: drawn pixel for pixel unless the area changed since.
        if (target.size() != m_picture.size())
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_picture);
    }
    emit painted();
}

void PhotoArea::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void PhotoArea::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

void PhotoArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized();
}
