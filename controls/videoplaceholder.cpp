#include "controls/videoplaceholder.h"

#include <QFont>
#include <QPainter>

QString videoCaption(qint64 durationMs)
{
    if (durationMs < 0)
        return QStringLiteral("Vidéo");
    const qint64 seconds = (durationMs + 500) / 1000;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds >= 3600)
        return QStringLiteral("Vidéo %1:%2").arg(seconds / 3600).arg(
            QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0')));
    return QStringLiteral("Vidéo ") + minutesAndSeconds;
}

QImage videoPlaceholder(QSize size, qint64 durationMs)
{
    QImage image(size.expandedTo(QSize(16, 16)), QImage::Format_RGB32);
    image.fill(QColor(32, 32, 36));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const int w = image.width();
    const int h = image.height();

    // A strip of film across the middle: its perforations above and below a frame.
    const int stripHeight = h * 2 / 5;
    const QRect strip(w / 6, h / 2 - stripHeight * 2 / 3, w * 2 / 3, stripHeight);
    painter.fillRect(strip, QColor(70, 70, 78));
    const int hole = qMax(2, stripHeight / 9);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(32, 32, 36));
    for (int x = strip.left() + hole; x + hole <= strip.right(); x += hole * 2) {
        painter.drawRect(QRect(x, strip.top() + hole / 2, hole, hole));
        painter.drawRect(QRect(x, strip.bottom() - hole - hole / 2 + 1, hole, hole));
    }
    const QRect frame = strip.adjusted(hole * 2, hole * 2, -hole * 2, -hole * 2);
    painter.fillRect(frame, QColor(110, 110, 120));
    // A play sign in the frame.
    const int side = qMin(frame.width(), frame.height()) * 2 / 3;
    const QPoint centre = frame.center();
    const QPolygon play({QPoint(centre.x() - side / 3, centre.y() - side / 2),
                         QPoint(centre.x() - side / 3, centre.y() + side / 2),
                         QPoint(centre.x() + side / 2, centre.y())});
    painter.setBrush(QColor(235, 235, 240));
    painter.drawPolygon(play);

    QFont font = painter.font();
    font.setPixelSize(qMax(9, h / 9));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(235, 235, 240));
    const QRect textArea(0, strip.bottom() + 1, w, h - strip.bottom() - 1);
    painter.drawText(textArea, Qt::AlignCenter, videoCaption(durationMs));
    return image;
}
