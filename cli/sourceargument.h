#pragma once
// The SOURCE argument of the commands that read photos: a folder, a file:// address, or a
// camera's or phone's address (gphoto2://[PORT]/..., mtp://...), as `lumaro-cli devices` shows.
#include "core/sources/photosource.h"

#include <QString>

#include <memory>

struct SourceArgument {
    QString text;                        // the folder (absolute, with "/") or the device's address
    std::shared_ptr<PhotoSource> source; // the device, opened; null for a folder
};

// Throws LumaroError when the folder does not exist or the device cannot be opened.
SourceArgument sourceArgument(const QString &argument);
