// lumaro-bench-window SETTINGS_FOLDER SOURCE DESTINATION: the batch window's own run on a card,
// searched and transferred as "Suivant" does, without the set-up dialog; for timing the window
// against lumaro-cli batch. Run it with QT_QPA_PLATFORM=offscreen.
#include "core/discovery/filtrephoto.h"
#include "core/imaging/memorytuning.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/discovery/recherchephotos.h"
#include "dialogs/qtuserinterface.h"
#include "transfer/fortransfertbatch.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    MemoryTuning::reuseLargeBlocks();
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3) {
        QTextStream(stderr) << "Utilisation : lumaro-bench-window DOSSIER_PARAMETRES SOURCE DESTINATION\n";
        return 2;
    }
    TParamAppli settings(Paths::withSeparator(args.at(0)) + QStringLiteral("Lumaro.ini"));
    settings.Executer = false; // no slideshow to close at the end
    const TFiltrePhoto filter(settings.folder());
    QtUserInterface ui;
    QStringList photos, extraFiles;
    RechercherPhotos(Paths::withSeparator(args.at(1)), true, filter, extraFiles, photos, settings, ui);
    const QString destination = Paths::withSeparator(args.at(2));
    if (!photos.isEmpty()) {
        BatchOptions options;
        options.destination = destination;
        options.lowQuality = settings.ActiverLowQ;
        options.thumbnails = settings.MiniatureBatch();
        TforTransfertBatch window(settings, photos, options);
        // The processing is what is timed, not the pause that lets the window paint first.
        window.setStartDelay(0);
        window.exec();
    }
    EnregistrerExtensionsSupp(destination, extraFiles, ui);
    return 0;
}
