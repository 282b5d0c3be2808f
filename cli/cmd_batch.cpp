// batch [--theme T] [--low] [--low-only] SOURCE DESTINATION: empties a card as the batch window
// does, with the settings and the saved filter of the settings folder.
#include "cli/commands.h"
#include "cli/consoleui.h"
#include "core/workflows/batchtransfer.h"
#include "core/error.h"
#include "core/files/filesystem.h"
#include "core/discovery/filtrephoto.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/discovery/recherchephotos.h"
#include "cli/sourceargument.h"
#include "core/discovery/shotmembers.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int)
{
    stopSignal = 1;
}

// Ctrl+C or a TERM from a script asks for the stop: the photo in progress is finished first,
// so nothing is left half-written and no source goes without its verified copy. The handlers
// stay until the program ends: a late signal must not kill it while it lists what it wrote.
void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

class Progress : public BatchObserver {
public:
    explicit Progress(BatchTransfer &batch) : m_batch(batch) {}
    void photoStarted(const BatchPhoto &photo) override
    {
        printErrorLine(QStringLiteral("transfert de la photo %1 sur %2 : %3 -> %4")
                           .arg(photo.number)
                           .arg(photo.total)
                           .arg(FileSystem::fileNameOf(photo.source), FileSystem::fileNameOf(photo.destination)));
    }
    void photoFinished(const BatchPhoto &, bool) override
    {
        if (stopSignal)
            m_batch.requestStop(BatchTransfer::StopKind::Immediate);
    }

private:
    BatchTransfer &m_batch;
};

constexpr int Interrupted = 130;

} // namespace

int commandBatch(CliContext &context, const QCommandLineParser &line)
{
    BatchOptions options;
    options.thumbnails = false; // nothing to show them on
    options.theme = line.value(QStringLiteral("theme"));
    options.lowQuality = line.isSet(QStringLiteral("low"));
    options.lowQualityOnly = line.isSet(QStringLiteral("low-only"));
    const QStringList args = line.positionalArguments();
    if (args.at(0).isEmpty() || args.at(1).isEmpty())
        throw UsageError(QStringLiteral("Le dossier source et le dossier de destination ne peuvent pas être vides."));
    const SourceArgument source = sourceArgument(args.at(0));
    options.destination = Paths::withSeparator(FileSystem::absolutePath(args.at(1)));
    options.source = source.source;

    catchStopSignals();
    TParamAppli settings(context.settingsFolder + QStringLiteral("Lumaro.ini"));
    // For this run only: the settings file is never written here.
    if (line.isSet(QStringLiteral("all-formats")))
        settings.AutresFormats = true;
    const TFiltrePhoto filter(settings.folder());
    QStringList photos, extraFiles;
    ShotMembers shots;
    if (source.source)
        RechercherPhotos(*source.source, source.text, true, filter, extraFiles, photos, settings, context.ui, &shots);
    else
        RechercherPhotos(source.text, true, filter, extraFiles, photos, settings, context.ui, VolumeLocator(), &shots);

    BatchTransfer::Result result;
    if (photos.isEmpty()) {
        context.ui.showInformation(QStringLiteral("Aucune photo à transférer !"));
    } else if (!stopSignal) {
        BatchTransfer batch(settings, context.ui, photos, options, &shots);
        Progress progress(batch);
        result = batch.run(&progress);
        for (const QString &written : batch.PhotosTransferees())
            printLine(written);
    }
    printLine(QStringLiteral("--"));
    flushOut();
    // The extra files are copied also after a stop, as the set-up dialog does.
    const QStringList copies = source.source
                                   ? EnregistrerExtensionsSupp(options.destination, extraFiles, context.ui, *source.source)
                                   : EnregistrerExtensionsSupp(options.destination, extraFiles, context.ui);
    for (const QString &copy : copies)
        printLine(copy);
    flushOut();
    // The desktop may take the device again.
    if (source.source)
        source.source->release();

    if (stopSignal || result.end == BatchTransfer::End::Stopped)
        return Interrupted;
    return result.failures > 0 || result.end == BatchTransfer::End::Aborted ? 1 : 0;
}
