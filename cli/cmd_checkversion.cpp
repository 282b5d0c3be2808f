#include "cli/commands.h"
#include "core/error.h"
#include "core/versioncheck.h"

#include <QTextStream>

int commandCheckVersion(CliContext &context, const QCommandLineParser &)
{
    const VersionCheck::Result result = VersionCheck::check(QUrl(VersionCheck::versionFileAddress()),
                                                            context.settingsFolder + QStringLiteral("VersionLMR.txt"));
    QTextStream out(stdout);
    switch (result.outcome) {
    case VersionCheck::Result::Outcome::UpToDate:
        out << QStringLiteral("à jour\n");
        return 0;
    case VersionCheck::Result::Outcome::Newer:
        out << QStringLiteral("nouvelle version %1 : %2\n")
                   .arg(VersionCheck::shownVersion(result.latest), result.downloadAddress);
        return 10;
    case VersionCheck::Result::Outcome::Failed:
        break;
    }
    QTextStream(stderr) << QStringLiteral("Impossible de vérifier la mise à jour de version ! (%1)\n").arg(result.failure);
    return 1;
}
