#pragma once
// What lumaro-cli accepts: the global options, then one command with its own options and
// arguments. The help texts are written here, in French, rather than taken from
// QCommandLineParser, whose texts would follow the installed Qt translations.
#include "cli/commands.h"

#include <QCommandLineOption>
#include <QList>

struct CliCommand {
    using Run = int (*)(CliContext &, const QCommandLineParser &);
    QString name;
    QString arguments;   // as the usage line shows them, e.g. "PHOTO DESTINATION"
    QString description; // one sentence or more, shown under the usage line
    QList<QCommandLineOption> options;
    int argumentCount = 0; // exactly this many positional arguments
    Run run = nullptr;
};

namespace CommandLine {

// Every command, in the order the help lists them.
const QList<CliCommand> &commands();
// nullptr for an unknown name.
const CliCommand *find(const QString &name);

// "lumaro-cli --help": the global options and one line per command.
QString programHelp();
// "lumaro-cli COMMAND --help".
QString commandHelp(const CliCommand &command);
// "Utilisation : lumaro-cli COMMAND [options] ARGUMENTS".
QString usageLine(const CliCommand &command);

// The options every command accepts, besides its own.
QList<QCommandLineOption> commonOptions();

// Parses the arguments that follow the command word (program name not included) against the
// command's options and the common ones. Throws UsageError, in French, for an unknown option, an
// option without its value, or a wrong number of arguments; "--help" is left for the caller.
void parse(QCommandLineParser &parser, const CliCommand &command, const QStringList &arguments);

} // namespace CommandLine
