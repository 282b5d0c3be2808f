// lumaro-bench-photo CARD [PAIRS]: how long "Suivante" takes in the photo-by-photo window
// (1280 x 1024, offscreen) to show the next photo with its EXIF table, with the next photo
// decoded ahead on a worker thread and without, in interleaved pairs. Prints two lines:
// "ahead MEDIAN_MS" and "plain MEDIAN_MS".
#include "core/imaging/memorytuning.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "transfer/fortransfertphoto.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

} // namespace

int main(int argc, char *argv[])
{
    MemoryTuning::reuseLargeBlocks();
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "Utilisation : lumaro-bench-photo CARTE [PAIRES]\n");
        return 2;
    }
    QStringList photos;
    QDirIterator it(args.at(0), {QStringLiteral("*.JPG")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.contains(QStringLiteral("/MINIATURES/")))
            photos << path;
    }
    photos.sort();
    const int pairs = args.size() > 1 ? args.at(1).toInt() : 5;
    QTemporaryDir settingsFolder;
    TParamAppli settings(settingsFolder.filePath(QStringLiteral("Lumaro.ini")));

    TforTransfertPhoto window(settings, photos, settingsFolder.filePath(QStringLiteral("dest/")), QString(), false);
    window.resize(1280, 1024);
    window.show();
    window.InitialiserAffichage();
    QAction *next = window.findChild<QAction *>(QStringLiteral("actSuivant"));
    std::vector<double> ahead, plain;
    for (int i = 0; i < 2 * pairs && next->isEnabled(); ++i) {
        // Alternate which kind goes first in each pair.
        const bool lookAhead = (i % 2 == 0) == ((i / 2) % 2 == 0);
        window.setLookAhead(lookAhead);
        // Show the photo before the one measured afresh, so that it starts its look-ahead (or
        // not), then give the user's second of looking at it.
        window.findChild<QAction *>(QStringLiteral("actPrecedent"))->trigger();
        next->trigger();
        QThread::msleep(800);
        QElapsedTimer timer;
        timer.start();
        next->trigger();
        QApplication::processEvents(); // the picture painted
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        (lookAhead ? ahead : plain).push_back(ms);
    }
    std::printf("ahead %.1f\nplain %.1f\n", median(ahead), median(plain));
    return 0;
}
