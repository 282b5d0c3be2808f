#include "cli/consoleui.h"

#include "cli/output.h"

namespace {
// A message may quote a path: it goes out with the bytes of the name.
void report(const QString &prefix, const QString &text)
{
    QString oneLine = text;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    printErrorLine(prefix + oneLine);
}
} // namespace

void ConsoleUserInterface::showError(const QString &text)
{
    ++m_errors;
    report(QStringLiteral("Erreur : "), text);
}

void ConsoleUserInterface::showInformation(const QString &text)
{
    report(QStringLiteral("Information : "), text);
}

bool ConsoleUserInterface::askConfirmation(const QString &text)
{
    report(QStringLiteral("Confirmation : "), text + (answerYes ? QStringLiteral(" -> Oui") : QStringLiteral(" -> Non")));
    return answerYes;
}

int ConsoleUserInterface::openWait(const QString &, const QString &text)
{
    if (!quiet)
        report(QString(), text);
    return 1;
}

void ConsoleUserInterface::setWaitText(int, const QString &, const QString &text)
{
    if (!quiet)
        report(QString(), text);
}

void ConsoleUserInterface::closeWait(int) noexcept {}
