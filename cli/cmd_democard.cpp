#include "cli/commands.h"
#include "tools/democard.h"
#include "core/error.h"

#include <QRegularExpression>
#include <QTextStream>

int commandDemoCard(CliContext &, QStringList args)
{
    DemoCard::Options options;
    QString value;
    if (takeOption(args, QStringLiteral("--count"), &value)) {
        bool ok = false;
        options.count = value.toInt(&ok);
        if (!ok || options.count < 1 || options.count > 10000)
            throw UsageError(QStringLiteral("Nombre de photos incorrect : %1").arg(value));
    }
    if (takeOption(args, QStringLiteral("--size"), &value)) {
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^(\\d{2,5})[xX](\\d{2,5})$")).match(value);
        if (!match.hasMatch())
            throw UsageError(QStringLiteral("Dimensions incorrectes : %1 (exemple : 4000x3000)").arg(value));
        options.size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    }
    if (takeOption(args, QStringLiteral("--turned"), &value)) {
        bool ok = false;
        options.turnedPercent = value.toInt(&ok);
        if (!ok || options.turnedPercent < 0 || options.turnedPercent > 100)
            throw UsageError(QStringLiteral("Part de photos tournées incorrecte : %1 (0 à 100)").arg(value));
    }
    if (args.size() != 1)
        throw UsageError(
            QStringLiteral("Utilisation : lumaro-cli demo-card DOSSIER [--count N] [--size LxH] [--turned POURCENT]"));

    const DemoCard::Contents contents = DemoCard::write(args.front(), options);
    QTextStream out(stdout);
    out << QStringLiteral("%1 photos écrites dans %2").arg(contents.photos.size()).arg(args.front()) << '\n';
    out << QStringLiteral("Miniatures à ignorer : %1").arg(contents.thumbnailFolder) << '\n';
    out << QStringLiteral("Autres fichiers : %1").arg(contents.extraFiles.join(QStringLiteral(", "))) << '\n';
    return 0;
}
