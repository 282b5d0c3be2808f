#include "cli/commands.h"
#include "core/error.h"
#include "core/paramappli.h"

#include <QTextStream>

int commandSettings(CliContext &context, QStringList args)
{
    const bool write = takeFlag(args, QStringLiteral("--write"));
    if (!args.isEmpty())
        throw UsageError(QStringLiteral("Argument inattendu : %1").arg(args.front()));
    TParamAppli settings(context.settingsFolder + QStringLiteral("Lumaro.ini"));
    QTextStream out(stdout);
    for (const QString &line : settings.describe())
        out << line << '\n';
    out.flush();
    if (write)
        settings.EcrireParametres();
    return 0;
}
