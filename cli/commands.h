#pragma once
// lumaro-cli: the core without windows, for scripts, checks and benchmarks.
// Each command takes its own arguments (the command word and --settings-dir already removed)
// and returns the exit code: 0 on success, 1 on an error, 2 on a usage error (UsageError).
#include "core/error.h"

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

// Takes "--name VALUE" out of args; false when absent. Throws UsageError when VALUE is missing.
bool takeOption(QStringList &args, const QString &name, QString *value);
// Takes a bare "--name" flag out of args.
bool takeFlag(QStringList &args, const QString &name);
// Writes the text and a line end on standard output, a path with the very bytes of its name
// (a name that is not UTF-8 included), so that scripts can open what they read.
void printLine(const QString &text);

int commandSettings(CliContext &context, QStringList args);
int commandExif(CliContext &context, QStringList args);
int commandDate(CliContext &context, QStringList args);
int commandName(CliContext &context, QStringList args);
int commandSearch(CliContext &context, QStringList args);
int commandDemoCard(CliContext &context, QStringList args);
int commandRotate(CliContext &context, QStringList args);
int commandLowQuality(CliContext &context, QStringList args);
int commandTransfer(CliContext &context, QStringList args);
int commandBatch(CliContext &context, QStringList args);
int commandCheckVersion(CliContext &context, QStringList args);
