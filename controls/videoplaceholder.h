#pragma once
// What the windows show in place of a video's picture: a dark frame with a strip of film and
// "Vidéo 0:12" (its duration when known).
#include <QImage>
#include <QSize>
#include <QString>

// "Vidéo 0:12", "Vidéo 1:02:03"; "Vidéo" when the duration is unknown (negative).
QString videoCaption(qint64 durationMs);
// The placeholder picture, of exactly that size.
QImage videoPlaceholder(QSize size, qint64 durationMs);
