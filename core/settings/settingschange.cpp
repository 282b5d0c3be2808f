#include "core/settings/settingschange.h"

#include "core/settings/paramappli.h"

namespace SettingsChange {

bool photoNameMaskIsValid(const QString &mask)
{
    for (const char *tag : {"#N", "#ORIG", "#CPT"})
        if (mask.contains(QLatin1String(tag), Qt::CaseSensitive))
            return true;
    return false;
}

QString photoNameMaskMessage()
{
    return QStringLiteral("Au moins un des 3 paramètres #N, #ORIG ou #CPT est obligatoire dans le masque du nom de la photo.");
}

void applyExifManagement(TParamAppli &settings)
{
    if (settings.GestionEXIF)
        return;
    settings.RotationAuto = false;
    settings.ExportInfoExif = false;
    settings.GarderInfoEXIF = false;
}

void applyAndWrite(TParamAppli &settings, const std::function<void(TParamAppli &)> &change)
{
    const TParamAppli::Values before = settings.values();
    try {
        change(settings);
        settings.EcrireParametres();
    } catch (...) {
        settings.restore(before);
        throw;
    }
}

} // namespace SettingsChange
