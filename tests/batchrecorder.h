#pragma once
// What a batch window would show of a batch, recorded for the tests, which may act in the
// middle of the batch (a stop, a card pulled out) when a photo is done.
#include "core/workflows/batchtransfer.h"

#include <QList>

#include <functional>

class BatchRecorder : public BatchObserver {
public:
    QList<BatchPhoto> started;
    QList<bool> finished;
    std::function<void(const BatchPhoto &)> afterPhoto;

    void photoStarted(const BatchPhoto &photo) override { started << photo; }
    void photoFinished(const BatchPhoto &photo, bool written) override
    {
        finished << written;
        if (afterPhoto)
            afterPhoto(photo);
    }
};
