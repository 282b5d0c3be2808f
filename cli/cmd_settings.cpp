#include "cli/commands.h"
#include "core/error.h"
#include "core/settings/paramappli.h"

int commandSettings(CliContext &context, const QCommandLineParser &line)
{
    const bool write = line.isSet(QStringLiteral("write"));
    TParamAppli settings(context.settingsFolder + QStringLiteral("Lumaro.ini"));
    for (const QString &line : settings.describe())
        printLine(line);
    flushOut();
    if (write)
        settings.EcrireParametres();
    return 0;
}
