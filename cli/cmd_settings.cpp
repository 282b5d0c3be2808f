#include "cli/commands.h"
#include "core/error.h"
#include "core/paramappli.h"

#include <QTextStream>

int commandSettings(CliContext &context, const QCommandLineParser &line)
{
    const bool write = line.isSet(QStringLiteral("write"));
    TParamAppli settings(context.settingsFolder + QStringLiteral("Lumaro.ini"));
    QTextStream out(stdout);
    for (const QString &line : settings.describe())
        out << line << '\n';
    out.flush();
    if (write)
        settings.EcrireParametres();
    return 0;
}
