#pragma once
// What a transfer does to a photo of a camera or phone, read once into memory: the same steps
// as TransfererPhoto (copy under its new name, lossless turn, low-quality copy, EXIF text,
// deletion of the source) from the bytes read, so that no file of the device is read twice.
// The final bytes (turned in memory when asked) are written by the verified write when the
// photo is to be deleted, and compared with those bytes before the device is asked to delete.
#include "core/devices/deviceresult.h"
#include "core/operations/photooperations.h"

#include <QByteArray>
#include <QString>

#include <time.h>

class PhotoSource;
class TListeInformationExif;
class TParamAppli;
class UserInterface;

struct SourcePhoto {
    QString source;            // the photo's address
    QByteArray content;        // the whole file as the source gave it
    struct timespec modified {}; // the file's time on the source
};

struct ContentTransferResult {
    bool written = false;   // every step succeeded
    DeviceOutcome deletion; // Ok when the source was deleted or its deletion not asked
};

// TransfererPhoto on bytes in memory; `source` deletes the photo when SupprimerPhoto is on and
// every step succeeded. A failing step is shown as TransfererPhoto shows it; a refused or
// failed deletion is returned (not shown): the caller tells the user once for a whole batch.
ContentTransferResult TransfererContenu(const TParamAppli &settings, UserInterface &ui, const SourcePhoto &photo,
                                        PhotoSource &source, const QString &destinationRoot,
                                        const QString &destination, int angle, const TListeInformationExif &exif,
                                        bool exportExif, bool lowQuality, const SafeCopy::Hooks &copyHooks = {},
                                        const PreparedTransfer &prepared = {});

// The photo's bytes turned without loss by angle (90, 180 or 270) in memory; empty when they
// cannot be turned (the turn is then reported by TransfererContenu).
QByteArray turnedContent(const QByteArray &content, int angle);

// The message shown once when a device will not delete the photos it gave.
QString deletionRefusedMessage();
