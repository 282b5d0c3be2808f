#include "cli/commands.h"
#include "tools/democard.h"
#include "core/error.h"

#include <QRegularExpression>

int commandDemoCard(CliContext &, const QCommandLineParser &line)
{
    DemoCard::Options options;
    QString value;
    const auto takeOption = [&line, &value](const QString &name) {
        value = line.value(name);
        return line.isSet(name);
    };
    if (takeOption(QStringLiteral("count"))) {
        bool ok = false;
        options.count = value.toInt(&ok);
        if (!ok || options.count < 1 || options.count > 10000)
            throw UsageError(QStringLiteral("Nombre de photos incorrect : %1").arg(value));
    }
    if (takeOption(QStringLiteral("size"))) {
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^(\\d{2,5})[xX](\\d{2,5})$")).match(value);
        if (!match.hasMatch())
            throw UsageError(QStringLiteral("Dimensions incorrectes : %1 (exemple : 4000x3000)").arg(value));
        options.size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    }
    if (takeOption(QStringLiteral("turned"))) {
        bool ok = false;
        options.turnedPercent = value.toInt(&ok);
        if (!ok || options.turnedPercent < 0 || options.turnedPercent > 100)
            throw UsageError(QStringLiteral("Part de photos tournées incorrecte : %1 (0 à 100)").arg(value));
    }
    const QString folder = line.positionalArguments().front();
    const DemoCard::Contents contents = DemoCard::write(folder, options);
    printLine(QStringLiteral("%1 photos écrites dans %2").arg(contents.photos.size()).arg(folder));
    printLine(QStringLiteral("Miniatures à ignorer : %1").arg(contents.thumbnailFolder));
    printLine(QStringLiteral("Autres fichiers : %1").arg(contents.extraFiles.join(QStringLiteral(", "))));
    return 0;
}
