#pragma once
// The program's two command-line parameters: /AUTO or /MANU, then the source folder.
#include <QString>
#include <QStringList>

struct CommandeLancement {
    enum class Action { Aucune, Transfert, Usage };
    Action action = Action::Aucune;
    int mode = 0; // 1 batch, 2 photo-by-photo
    QString chemin;
};

// The parameters after the program name.
CommandeLancement analyserLigneCommande(const QStringList &parameters);
// The usage message: six lines joined by single carriage returns.
QString messageUsage();
