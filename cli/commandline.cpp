#include "cli/commandline.h"

#include <algorithm>

namespace {

QCommandLineOption flag(const QString &name, const QString &description)
{
    return QCommandLineOption(name, description);
}

QCommandLineOption valued(const QString &name, const QString &valueName, const QString &description)
{
    return QCommandLineOption(name, description, valueName);
}

QList<CliCommand> makeCommands()
{
    const QCommandLineOption theme = valued(QStringLiteral("theme"), QStringLiteral("T"), QStringLiteral("le thème des photos (#THEME)"));
    const QCommandLineOption low = flag(QStringLiteral("low"), QStringLiteral("écrit aussi les copies basse qualité"));
    const QCommandLineOption angle =
        valued(QStringLiteral("angle"), QStringLiteral("A"), QStringLiteral("tourne de A degrés (0, 90, 180 ou 270)"));
    const QCommandLineOption allFormats =
        flag(QStringLiteral("all-formats"),
             QStringLiteral("les fichiers RAW, HEIF et les vidéos sont aussi des photos, et les fichiers d'un même nom "
                            "(IMG_0001.JPG, IMG_0001.CR2) une seule prise de vue, comme avec le réglage \"Transférer "
                            "aussi les photos RAW, HEIF et les vidéos\""));
    return {
        {QStringLiteral("settings"), QString(),
         QStringLiteral("Affiche chaque paramètre (Section/Clé=valeur), puis l'écrit avec --write."),
         {flag(QStringLiteral("write"), QStringLiteral("écrit le fichier des réglages"))}, 0, commandSettings},
        {QStringLiteral("exif"), QStringLiteral("PHOTO"),
         QStringLiteral("Affiche le fichier texte EXIF que la photo donnerait."),
         {flag(QStringLiteral("no-exif"), QStringLiteral("comme avec la gestion EXIF désactivée"))}, 1, commandExif},
        {QStringLiteral("date"), QStringLiteral("PHOTO"),
         QStringLiteral("Affiche la date de la photo (AAAA:MM:JJ HH:MM:SS), une tabulation et la rotation automatique."),
         {}, 1, commandDate},
        {QStringLiteral("name"), QStringLiteral("PHOTO DESTINATION"),
         QStringLiteral("Affiche le chemin que les masques de nom donnent à la photo."),
         {theme, allFormats,
          valued(QStringLiteral("date"), QStringLiteral("\"AAAA:MM:JJ HH:MM:SS\""),
                 QStringLiteral("la date de la photo, à la place de sa date EXIF")),
          valued(QStringLiteral("counter"), QStringLiteral("N"), QStringLiteral("la valeur du compteur (#CPT), 1 par défaut")),
          flag(QStringLiteral("low"), QStringLiteral("le chemin de la copie basse qualité"))},
         2, commandName},
        {QStringLiteral("search"), QStringLiteral("DOSSIER"),
         QStringLiteral("Cherche les photos comme le programme (filtre de Filtre.ini), écrit l'historique, affiche "
                        "les photos, une ligne \"--\", puis les fichiers des extensions supplémentaires."),
         {flag(QStringLiteral("no-subfolders"), QStringLiteral("sans les sous-dossiers")), allFormats}, 1, commandSearch},
        {QStringLiteral("demo-card"), QStringLiteral("DOSSIER"),
         QStringLiteral("Écrit une fausse carte mémoire (photos de démonstration)."),
         {valued(QStringLiteral("count"), QStringLiteral("N"), QStringLiteral("le nombre de photos (1 à 10000)")),
          valued(QStringLiteral("size"), QStringLiteral("LxH"), QStringLiteral("leurs dimensions, par exemple 4000x3000")),
          valued(QStringLiteral("turned"), QStringLiteral("POURCENT"), QStringLiteral("la part des photos à tourner"))},
         1, commandDemoCard},
        {QStringLiteral("rotate"), QStringLiteral("PHOTO ANGLE"),
         QStringLiteral("Tourne la photo sans perte (90, 180 ou 270 degrés)."), {}, 2, commandRotate},
        {QStringLiteral("lowq"), QStringLiteral("PHOTO CIBLE"), QStringLiteral("Écrit la copie basse qualité de la photo."),
         {angle}, 2, commandLowQuality},
        {QStringLiteral("transfer"), QStringLiteral("SOURCE DESTINATION"),
         QStringLiteral("Transfère une photo ; rien n'est écrit hors de DOSSIER (par défaut le dossier de DESTINATION)."),
         {valued(QStringLiteral("root"), QStringLiteral("DOSSIER"), QStringLiteral("le dossier de destination du transfert")),
          angle, flag(QStringLiteral("export-exif"), QStringLiteral("écrit aussi le fichier texte EXIF")), low},
         2, commandTransfer},
        {QStringLiteral("batch"), QStringLiteral("SOURCE DESTINATION"),
         QStringLiteral("Vide une carte comme le mode Batch : affiche chaque fichier écrit, une ligne \"--\", puis les "
                        "fichiers des extensions supplémentaires copiés ; Ctrl+C arrête après la photo en cours."),
         {theme, low, allFormats,
          flag(QStringLiteral("low-only"), QStringLiteral("écrit seulement les copies basse qualité et laisse les photos"))},
         2, commandBatch},
        {QStringLiteral("devices"), QString(),
         QStringLiteral("Affiche les appareils photo et téléphones branchés : modèle, port, adresse, numéro de série et "
                        "mémoires. Une carte dont libgphoto2 voit le dossier DCIM est "
                        "signalée comme carte mémoire : mieux vaut l'ouvrir comme dossier."),
         {flag(QStringLiteral("no-details"), QStringLiteral("sans ouvrir les appareils (ni numéro de série ni mémoires)"))},
         0, commandDevices},
        {QStringLiteral("check-version"), QString(),
         QStringLiteral("Cherche sur internet une nouvelle version (LUMARO_VERSION_URL : adresse du fichier de version) ; "
                        "affiche \"à jour\" (code 0) ou \"nouvelle version X : ADRESSE\" (code 10) ; code 1 en cas d'échec."),
         {}, 0, commandCheckVersion},
    };
}

QString optionSyntax(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString syntax = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        syntax += u' ' + option.valueName();
    return syntax;
}

// Two columns, the descriptions aligned after the longest syntax.
QString optionTable(const QList<QCommandLineOption> &options)
{
    qsizetype width = 0;
    for (const QCommandLineOption &option : options)
        width = std::max(width, optionSyntax(option).size());
    QString text;
    for (const QCommandLineOption &option : options)
        text += QStringLiteral("  %1  %2\n").arg(optionSyntax(option).leftJustified(width), option.description());
    return text;
}

// Words of the text on lines of at most 80 columns, each starting with the indent.
QString wrapped(const QString &text, int indent)
{
    const QString margin(indent, u' ');
    QString result, line;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > 80 - indent) {
            result += margin + line + u'\n';
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return result + margin + line + u'\n';
}

QCommandLineOption helpOption()
{
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("affiche cette aide"));
}

QString shownOptionName(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

} // namespace

namespace CommandLine {

const QList<CliCommand> &commands()
{
    static const QList<CliCommand> table = makeCommands();
    return table;
}

const CliCommand *find(const QString &name)
{
    for (const CliCommand &command : commands())
        if (command.name == name)
            return &command;
    return nullptr;
}

QList<QCommandLineOption> commonOptions()
{
    return {valued(QStringLiteral("settings-dir"), QStringLiteral("DOSSIER"),
                   QStringLiteral("le dossier des réglages (par défaut celui de Lumaro)")),
            flag(QStringLiteral("yes"), QStringLiteral("répond oui aux questions (sans : non)")), helpOption()};
}

QString usageLine(const CliCommand &command)
{
    QString line = QStringLiteral("Utilisation : lumaro-cli %1 [options]").arg(command.name);
    if (!command.arguments.isEmpty())
        line += u' ' + command.arguments;
    return line;
}

QString commandHelp(const CliCommand &command)
{
    return usageLine(command) + QStringLiteral("\n") + wrapped(command.description, 0) + QStringLiteral("\nOptions :\n")
           + optionTable(command.options + commonOptions());
}

QString programHelp()
{
    QString text = QStringLiteral("Utilisation : lumaro-cli COMMANDE [options] [ARGUMENTS]\n"
                                  "              lumaro-cli --help | --version\n"
                                  "Lumaro sans fenêtre : vider une carte, nommer, tourner, réduire une photo, "
                                  "vérifier la version.\n\nCommandes :\n");
    for (const CliCommand &command : commands()) {
        const QString arguments = command.arguments.isEmpty() ? QString() : u' ' + command.arguments;
        text += QStringLiteral("  %1%2\n").arg(command.name, arguments) + wrapped(command.description, 6);
    }
    text += QStringLiteral("\nOptions de toutes les commandes :\n") + optionTable(commonOptions())
            + QStringLiteral("\n\"lumaro-cli COMMANDE --help\" décrit les options de la commande.\n"
                             "Codes de retour : 0 réussi, 1 erreur, 2 ligne de commande incorrecte.\n");
    return text;
}

void parse(QCommandLineParser &parser, const CliCommand &command, const QStringList &arguments)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(command.options + commonOptions());
    if (!parser.parse(QStringList{QStringLiteral("lumaro-cli")} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            throw UsageError(QStringLiteral("Option inconnue : %1").arg(shownOptionName(unknown.front())));
        // The other failures: a value-taking option given last without its value, or a flag
        // given a value ("--low=1").
        const QList<QCommandLineOption> options = command.options + commonOptions();
        const auto named = [&options](QString argument) -> const QCommandLineOption * {
            argument = argument.section(u'=', 0, 0).mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            for (const QCommandLineOption &option : options)
                if (option.names().contains(argument))
                    return &option;
            return nullptr;
        };
        for (const QString &argument : arguments) {
            const QCommandLineOption *option = argument.startsWith(u'-') && argument.contains(u'=') ? named(argument) : nullptr;
            if (option && option->valueName().isEmpty())
                throw UsageError(QStringLiteral("L'option %1 ne prend pas de valeur.").arg(argument.section(u'=', 0, 0)));
        }
        const QString last = arguments.isEmpty() ? QString() : arguments.back();
        const QCommandLineOption *option = last.startsWith(u'-') ? named(last) : nullptr;
        if (option && !option->valueName().isEmpty())
            throw UsageError(QStringLiteral("L'option %1 attend une valeur.").arg(last));
        throw UsageError(QStringLiteral("Ligne de commande incorrecte : %1").arg(arguments.join(u' ')));
    }
    if (parser.isSet(QStringLiteral("help")))
        return;
    if (parser.positionalArguments().size() != command.argumentCount)
        throw UsageError(usageLine(command));
}

} // namespace CommandLine
