#pragma once
// The one way a transfer starts, from the main window or from the command line.
#include <QString>

class TParamAppli;

enum class ModeTransfert { Batch = 1, PhotoPhoto = 2 };

// The source folder the set-up dialog starts with: the path with its trailing "/" when it is an
// existing folder; otherwise the settings' card reader, after the "n'existe pas" message.
QString transferSource(const TParamAppli &params, const QString &path);

// Opens the transfer set-up dialog in the given mode (1 batch, any other photo-by-photo).
void LancerTransfert(TParamAppli &params, int mode, const QString &path);
