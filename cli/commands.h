#pragma once
// lumaro-cli: the core without windows, for scripts, checks and benchmarks.
// Each command reads its options and arguments from the parsed command line (already checked
// against its description in the command table) and returns the exit code: 0 on success, 1 on an
// error. A UsageError (exit code 2) is a command line that cannot be obeyed.
#include "cli/output.h"
#include "core/error.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

class ConsoleUserInterface;

// A command line that cannot be obeyed: unknown option, missing or extra argument, malformed value.
class UsageError : public LumaroError {
public:
    using LumaroError::LumaroError;
};

struct CliContext {
    QString settingsFolder; // with its trailing "/"
    ConsoleUserInterface &ui;
};

int commandSettings(CliContext &context, const QCommandLineParser &line);
int commandExif(CliContext &context, const QCommandLineParser &line);
int commandDate(CliContext &context, const QCommandLineParser &line);
int commandName(CliContext &context, const QCommandLineParser &line);
int commandSearch(CliContext &context, const QCommandLineParser &line);
int commandDemoCard(CliContext &context, const QCommandLineParser &line);
int commandRotate(CliContext &context, const QCommandLineParser &line);
int commandLowQuality(CliContext &context, const QCommandLineParser &line);
int commandTransfer(CliContext &context, const QCommandLineParser &line);
int commandBatch(CliContext &context, const QCommandLineParser &line);
int commandCheckVersion(CliContext &context, const QCommandLineParser &line);
int commandDevices(CliContext &context, const QCommandLineParser &line);
