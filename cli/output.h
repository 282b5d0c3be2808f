#pragma once
// What lumaro-cli prints. Paths leave with the very bytes of their names (a name that is not
// UTF-8 included), so that a script can open what it reads; every other text is UTF-8.
#include <QString>

// The text as it is, on standard output or standard error.
void writeOut(const QString &text);
void writeError(const QString &text);
// The text and a line end.
void printLine(const QString &text);
void printErrorLine(const QString &text);
// Sends what standard output holds on its way, before slower work follows.
void flushOut();
