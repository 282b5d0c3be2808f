#pragma once
// What a batch can know of a shot before it is written, made on a worker thread while the
// photos before it are written: its thumbnail, EXIF list, date, angle, turned photo and
// low-quality copy, and for a camera's shot the bytes of every member, read once.
#include "core/exif/informationexif.h"
#include "core/operations/lowqualitycopy.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/settings/paramappli.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class FormatReader;
class PhotoSource;

struct BatchPreparation {
    QString openError; // the imaging layer's text when the photo does not open
    std::unique_ptr<TListeInformationExif> exif = std::make_unique<TListeInformationExif>();
    double date = -1.0;
    int angle = 0;
    QImage thumbnail;
    bool video = false;
    qint64 durationMs = -1;
    std::optional<LowQualityCopy> lowQuality;
    TurnedPhoto turnedPhoto; // the key member turned by `angle`, when it could be done ahead
    // A camera's shot: the bytes of every member as read, or why they could not be.
    QList<SourcePhoto> contents;
    DeviceOutcome readOutcome;

    bool readFromDevice() const { return !contents.isEmpty(); }
};

struct BatchPreparationInput {
    explicit BatchPreparationInput(const TParamAppli &store) : settings(store) {}
    TParamAppli settings; // a copy: a window may change the store meanwhile
    QStringList members;  // the shot's files, key first
    bool thumbnails = true;
    bool lowQuality = false; // a low-quality copy will be written
    bool turnAhead = true;   // the key member is written, so its turn is made ahead
    PhotoSource *device = nullptr; // a camera's shot: read through it
    FormatReader *formats = nullptr; // RAW, HEIF and video files, with the other formats on
};

BatchPreparation prepareBatchShot(const BatchPreparationInput &input);
