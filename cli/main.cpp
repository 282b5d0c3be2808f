#include "cli/commandline.h"
#include "cli/commands.h"
#include "cli/consoleui.h"
#include "core/error.h"
#include "core/files/filename.h"
#include "core/imaging/memorytuning.h"
#include "core/files/paths.h"
#include "core/update/versioncheck.h"

#include <QCoreApplication>

namespace {

constexpr int UsageExitCode = 2;

bool isHelp(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

} // namespace

int main(int argc, char *argv[])
{
    MemoryTuning::reuseLargeBlocks();
    QCoreApplication app(argc, argv);
    // Paths as the shell passed them, byte for byte: QCoreApplication::arguments() would turn a
    // name that is not UTF-8 into another one.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(FileName::decode(argv[i]));
    if (args.size() == 1 && isHelp(args.front())) {
        writeOut(CommandLine::programHelp());
        return 0;
    }
    if (args.size() == 1 && args.front() == QLatin1String("--version")) {
        printLine(QStringLiteral("lumaro-cli %1").arg(ProgramVersion()));
        return 0;
    }
    const CliCommand *command = args.isEmpty() ? nullptr : CommandLine::find(args.front());
    if (!command) {
        if (!args.isEmpty())
            printErrorLine(QStringLiteral("Commande inconnue : %1").arg(args.front()));
        writeError(CommandLine::programHelp());
        return UsageExitCode;
    }
    args.removeFirst();

    ConsoleUserInterface ui;
    try {
        QCommandLineParser line;
        CommandLine::parse(line, *command, args);
        if (line.isSet(QStringLiteral("help"))) {
            writeOut(CommandLine::commandHelp(*command));
            return 0;
        }
        const QString folder = line.isSet(QStringLiteral("settings-dir"))
                                   ? line.value(QStringLiteral("settings-dir"))
                                   : Paths::settingsFolder(QCoreApplication::applicationDirPath());
        ui.answerYes = line.isSet(QStringLiteral("yes"));
        CliContext context{Paths::withSeparator(folder), ui};
        const int code = command->run(context, line);
        return code != 0 ? code : (ui.errorCount() > 0 ? 1 : 0);
    } catch (const UsageError &error) {
        ui.showError(error.message());
        return UsageExitCode;
    } catch (const LumaroError &error) {
        ui.showError(error.message());
    } catch (const std::exception &error) {
        ui.showError(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}
