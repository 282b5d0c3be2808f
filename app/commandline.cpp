#include "app/commandline.h"

#include "core/files/paths.h"

LaunchCommand parseCommandLine(const QStringList &parameters)
{
    LaunchCommand command;
    if (parameters.isEmpty())
        return command;
    const QString first = parameters.front().toUpper();
    if (parameters.size() == 2 && (first == QLatin1String("/AUTO") || first == QLatin1String("/MANU"))) {
        command.action = LaunchCommand::Action::Transfer;
        command.mode = first == QLatin1String("/AUTO") ? 1 : 2;
        command.path = parameters.at(1);
        return command;
    }
    command.action = LaunchCommand::Action::Usage;
    return command;
}

QString messageUsage()
{
    const QStringList lines = {
        QStringLiteral("Pour lancer l'application avec des paramètres, il faut utiliser la syntaxe suivante : "),
        QStringLiteral("/Manu ou /Auto : permet de lancer le transfert en mode Photo/Photo ou en mode Batch"),
        QStringLiteral("Chemin : Le chemin source des photos à transférer"),
        QStringLiteral("Ces 2 paramètres sont obligatoires."),
        QString(),
        QStringLiteral("Exemple : lumaro /MANU ") + Paths::defaultCardReader() + QStringLiteral("PHOTOS/"),
    };
    return lines.join(u'\r');
}
