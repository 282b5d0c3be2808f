#include "cli/commands.h"
#include "cli/consoleui.h"
#include "core/error.h"
#include "core/filename.h"
#include "core/memorytuning.h"
#include "core/paths.h"
#include "core/versioncheck.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr int UsageExitCode = 2;

const char Usage[] =
    "Utilisation : lumaro-cli COMMANDE [--settings-dir DOSSIER] [--yes] ...\n"
    "              lumaro-cli --help | --version\n"
    "Commandes :\n"
    "  settings [--write]   affiche chaque paramètre (Section/Clé=valeur), puis l'écrit avec --write\n"
    "  exif PHOTO [--no-exif]   affiche le fichier texte EXIF que la photo donnerait\n"
    "  date PHOTO   affiche la date de la photo (AAAA:MM:JJ HH:MM:SS), une tabulation et la rotation automatique\n"
    "  name [--theme T] [--date \"AAAA:MM:JJ HH:MM:SS\"] [--counter N] [--low] PHOTO DESTINATION\n"
    "               affiche le chemin que les masques de nom donnent à la photo (--low : copie basse qualité)\n"
    "  search [--no-subfolders] DOSSIER\n"
    "               cherche les photos comme le programme (filtre de Filtre.ini), écrit l'historique,\n"
    "               affiche les photos, une ligne \"--\", puis les fichiers des extensions supplémentaires\n"
    "  demo-card DOSSIER [--count N] [--size LxH] [--turned POURCENT]   écrit une fausse carte mémoire (photos de démonstration)\n"
    "  rotate PHOTO ANGLE   tourne la photo sans perte (90, 180 ou 270 degrés)\n"
    "  lowq PHOTO CIBLE [--angle A]   écrit la copie basse qualité de la photo\n"
    "  transfer SOURCE DESTINATION [--root DOSSIER] [--angle A] [--export-exif] [--low]\n"
    "               transfère une photo ; rien n'est écrit hors de DOSSIER (par défaut le dossier de DESTINATION)\n"
    "  batch [--theme T] [--low] [--low-only] SOURCE DESTINATION\n"
    "               vide une carte comme le mode Batch : affiche chaque fichier écrit, une ligne \"--\",\n"
    "               puis les fichiers des extensions supplémentaires copiés ; Ctrl+C arrête après la photo en cours\n"
    "  check-version   cherche sur internet une nouvelle version (LUMARO_VERSION_URL : adresse du fichier de version) ;\n"
    "               affiche \"à jour\" (code 0) ou \"nouvelle version X : ADRESSE\" (code 10) ; code 1 en cas d'échec\n";

using Command = std::function<int(CliContext &, QStringList)>;

const std::map<QString, Command> &commands()
{
    static const std::map<QString, Command> table = {
        {QStringLiteral("settings"), commandSettings},
        {QStringLiteral("exif"), commandExif},
        {QStringLiteral("date"), commandDate},
        {QStringLiteral("name"), commandName},
        {QStringLiteral("search"), commandSearch},
        {QStringLiteral("demo-card"), commandDemoCard},
        {QStringLiteral("rotate"), commandRotate},
        {QStringLiteral("lowq"), commandLowQuality},
        {QStringLiteral("transfer"), commandTransfer},
        {QStringLiteral("batch"), commandBatch},
        {QStringLiteral("check-version"), commandCheckVersion},
    };
    return table;
}

} // namespace

bool takeOption(QStringList &args, const QString &name, QString *value)
{
    const qsizetype i = args.indexOf(name);
    if (i < 0)
        return false;
    if (i + 1 >= args.size())
        throw UsageError(QStringLiteral("L'option %1 attend une valeur.").arg(name));
    *value = args.at(i + 1);
    args.remove(i, 2);
    return true;
}

bool takeFlag(QStringList &args, const QString &name)
{
    return args.removeAll(name) > 0;
}

void printLine(const QString &text)
{
    const QByteArray bytes = FileName::encode(text) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int main(int argc, char *argv[])
{
    MemoryTuning::reuseLargeBlocks();
    QCoreApplication app(argc, argv);
    // Paths as the shell passed them, byte for byte: QCoreApplication::arguments() would turn a
    // name that is not UTF-8 into another one.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(FileName::decode(argv[i]));
    QTextStream err(stderr);
    if (args.size() == 1 && (args.front() == QLatin1String("--help") || args.front() == QLatin1String("-h"))) {
        QTextStream(stdout) << QString::fromUtf8(Usage);
        return 0;
    }
    if (args.size() == 1 && args.front() == QLatin1String("--version")) {
        QTextStream(stdout) << QStringLiteral("lumaro-cli %1\n").arg(ProgramVersion());
        return 0;
    }
    if (args.isEmpty() || !commands().count(args.front())) {
        if (!args.isEmpty())
            err << QStringLiteral("Commande inconnue : %1\n").arg(args.front());
        err << QString::fromUtf8(Usage);
        return UsageExitCode;
    }
    const Command command = commands().at(args.takeFirst());
    ConsoleUserInterface ui;
    try {
        QString folder;
        if (!takeOption(args, QStringLiteral("--settings-dir"), &folder))
            folder = Paths::settingsFolder(QCoreApplication::applicationDirPath());
        ui.answerYes = takeFlag(args, QStringLiteral("--yes"));
        CliContext context{Paths::withSeparator(folder), ui};
        const int code = command(context, args);
        return code != 0 ? code : (ui.errorCount() > 0 ? 1 : 0);
    } catch (const UsageError &error) {
        ui.showError(error.message());
        return UsageExitCode;
    } catch (const LumaroError &error) {
        ui.showError(error.message());
    } catch (const std::exception &error) {
        ui.showError(QString::fromLocal8Bit(error.what()));
    }
    return 1;
}
