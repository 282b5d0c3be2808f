#include "app/commandline.h"

#include "core/files/paths.h"

CommandeLancement analyserLigneCommande(const QStringList &parameters)
{
    CommandeLancement commande;
    if (parameters.isEmpty())
        return commande;
    const QString first = parameters.front().toUpper();
    if (parameters.size() == 2 && (first == QLatin1String("/AUTO") || first == QLatin1String("/MANU"))) {
        commande.action = CommandeLancement::Action::Transfert;
        commande.mode = first == QLatin1String("/AUTO") ? 1 : 2;
        commande.chemin = parameters.at(1);
        return commande;
    }
    commande.action = CommandeLancement::Action::Usage;
    return commande;
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
