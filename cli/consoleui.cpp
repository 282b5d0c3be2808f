#include "cli/consoleui.h"

#include <QTextStream>

namespace {
void printLine(const QString &prefix, const QString &text)
{
    QString oneLine = text;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    QTextStream(stderr) << prefix << oneLine << Qt::endl;
}
} // namespace

void ConsoleUserInterface::showError(const QString &text)
{
    ++m_errors;
    printLine(QStringLiteral("Erreur : "), text);
}

void ConsoleUserInterface::showInformation(const QString &text)
{
    printLine(QStringLiteral("Information : "), text);
}

bool ConsoleUserInterface::askConfirmation(const QString &text)
{
    printLine(QStringLiteral("Confirmation : "), text + (answerYes ? QStringLiteral(" -> Oui") : QStringLiteral(" -> Non")));
    return answerYes;
}

int ConsoleUserInterface::openWait(const QString &, const QString &text)
{
    if (!quiet)
        printLine(QString(), text);
    return 1;
}

void ConsoleUserInterface::setWaitText(int, const QString &, const QString &text)
{
    if (!quiet)
        printLine(QString(), text);
}

void ConsoleUserInterface::closeWait(int) noexcept {}
