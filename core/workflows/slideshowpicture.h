#pragma once
// One photo made ready for the slideshow's screen: decoded no larger than the screen needs and
// scaled to fill it with its proportions kept. Safe to run on a worker thread.
#include <QImage>
#include <QSize>
#include <QString>

struct SlideshowPicture {
    QString path;
    QSize area;     // the area it was fitted to
    QImage decoded; // the photo as stored, at the smallest DCT scale that still covers its fit
    QImage shown;   // `decoded` fitted to `area`, ready to paint
    QString error;  // why the file could not be decoded (French); empty when it was

    bool isDecoded() const { return error.isEmpty() && !decoded.isNull(); }
};

// The size of a picture scaled to fill as much of the area as its proportions allow: large
// photos are reduced and small ones enlarged. Rounded to the nearest pixel, at least 1 x 1;
// empty when either size is empty.
QSize fillingSize(QSize picture, QSize area);

// The picture scaled to fillingSize (smoothly) in a format that paints without conversion.
// Null when the area is empty or memory runs out.
QImage fittedPicture(const QImage &picture, QSize area);

// Decodes the photo for that area. Never throws: a failure leaves the pictures null and
// gives the imaging layer's reason in `error`.
// A HEIF's image or a RAW's preview is read upright through the reader when one is given.
class FormatReader;
SlideshowPicture prepareSlideshowPicture(const QString &path, QSize area, FormatReader *formats = nullptr);
// Whether the slideshow shows the file: a JPEG, or a HEIF or RAW file; never a video or a sidecar.
bool isSlideshowPicture(const QString &path);
