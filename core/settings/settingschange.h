#pragma once
// The rules of a change of the settings made by the user, without any window: the photo-name
// mask must tell two photos apart, the EXIF settings follow GestionEXIF, and a change is either
// written to the settings file or not kept at all.
#include <QString>

#include <functional>

class TParamAppli;

namespace SettingsChange {

// True when the photo-name mask holds "#N", "#ORIG" or "#CPT" (exact letter case, anywhere):
// without one of them every photo of a day would get the same name.
bool photoNameMaskIsValid(const QString &mask);
// What the user is told when the mask is refused.
QString photoNameMaskMessage();

// With GestionEXIF off nothing may use the EXIF data: turning, the EXIF text files and the EXIF
// data of the low-quality copies are switched off whatever was asked.
void applyExifManagement(TParamAppli &settings);

// Runs `change` on the settings, then writes them (EcrireParametres). When the write fails, every
// setting in memory is put back as it was before `change`, so the program never goes on with
// values that the file does not hold; the LumaroError then reaches the caller.
void applyAndWrite(TParamAppli &settings, const std::function<void(TParamAppli &)> &change);

} // namespace SettingsChange
