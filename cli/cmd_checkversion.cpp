#include "cli/commands.h"
#include "core/error.h"
#include "core/update/versioncheck.h"

int commandCheckVersion(CliContext &context, const QCommandLineParser &)
{
    const VersionCheck::Result result = VersionCheck::check(QUrl(VersionCheck::versionFileAddress()),
                                                            context.settingsFolder + QStringLiteral("VersionLMR.txt"));
    switch (result.outcome) {
    case VersionCheck::Result::Outcome::UpToDate:
        printLine(QStringLiteral("à jour"));
        return 0;
    case VersionCheck::Result::Outcome::Newer:
        printLine(QStringLiteral("nouvelle version %1 : %2")
                      .arg(VersionCheck::shownVersion(result.latest), result.downloadAddress));
        return 10;
    case VersionCheck::Result::Outcome::Failed:
        break;
    }
    printErrorLine(QStringLiteral("Impossible de vérifier la mise à jour de version ! (%1)").arg(result.failure));
    return 1;
}
