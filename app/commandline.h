#pragma once
// The program's two command-line parameters: /AUTO or /MANU, then the source folder.
#include <QString>
#include <QStringList>

struct LaunchCommand {
    enum class Action { None, Transfer, Usage };
    Action action = Action::None;
    int mode = 0; // 1 batch, 2 photo-by-photo
    QString path;
};

// The parameters after the program name.
LaunchCommand parseCommandLine(const QStringList &parameters);
// The usage message: six lines joined by single carriage returns.
QString messageUsage();
