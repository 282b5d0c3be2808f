// lumaro-bench-slideshow CARD [PAIRS]: the slideshow's speed on the screen it runs on, for the
// photos of CARD, in interleaved pairs (order swapped every other pair), medians printed.
//   1. "Photo suivante" from the key's release to the next photo painted on the screen, with the
//      next photo decoded ahead while the current one is shown, and without.
//   2. Making one photo ready for the screen: decoded at the smallest DCT scale that covers the
//      screen, then fitted; against decoded whole, then fitted.
// Run it full screen on the screen to measure (bench/slideshow.sh does so under Xvfb).
#include "bench/benchsupport.h"
#include "core/imaging/imaging.h"
#include "core/imaging/memorytuning.h"
#include "core/settings/paramappli.h"
#include "core/workflows/slideshowpicture.h"
#include "slideshow/fordiaporama.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);
// Lets events run until the condition holds; false after the time limit.
bool waitFor(const std::function<bool()> &condition, int limitMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString list(const std::vector<double> &values)
{
    QStringList texts;
    for (double v : values)
        texts << QString::number(v, 'f', 1);
    return texts.join(QStringLiteral(" "));
}

double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    MemoryTuning::reuseLargeBlocks();
    QApplication app(argc, argv);
    const Imaging::LibraryScope imaging;
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "Utilisation : lumaro-bench-slideshow CARTE [PAIRES]\n";
        return 2;
    }
    const int pairs = args.size() > 2 ? qMax(1, args.at(2).toInt()) : 7;
    QStringList photos = BenchSupport::photosOf(args.at(1));
    if (photos.size() < 2 * pairs + 1) {
        QTextStream(stderr) << "Il faut au moins " << 2 * pairs + 1 << " photos.\n";
        return 2;
    }

    QTemporaryDir settingsFolder;
    TParamAppli settings(settingsFolder.filePath(QStringLiteral("Lumaro.ini")));
    settings.Tempo = 1000000; // only the measured key moves on
    settings.AfficherNom = false;

    TforDiaporama window(settings, photos);
    QScreen *screen = QGuiApplication::primaryScreen();
    window.setGeometry(screen->geometry());
    window.setWindowState(Qt::WindowFullScreen);
    window.show();
    if (!waitFor([&] { return window.windowHandle() && window.windowHandle()->isExposed(); })) {
        QTextStream(stderr) << "La fenêtre n'apparaît pas.\n";
        return 1;
    }
    bool displayed = false;
    QObject::connect(&window.player(), &SlideshowPlayer::photoDisplayed, [&displayed] { displayed = true; });
    window.player().start();
    waitFor([&] { return displayed; });
    const QSize area = window.pictureArea();
    const QSize stored = Imaging::loadPhoto(photos.first()).picture.size();
    out << "Écran " << screen->size().width() << " x " << screen->size().height() << ", zone de la photo "
        << area.width() << " x " << area.height() << ", photos de " << stored.width() << " x " << stored.height()
        << ", " << pairs << " paires\n";
    out.flush();

    // 1. "Photo suivante", from the key's release to the photo on the screen.
    SlideshowPlayer &player = window.player();
    auto nextPhoto = [&](bool lookAhead) {
        // Both sides start from the same quiet state: the next photo decoded ahead, nothing running.
        player.setLookAhead(true);
        const QString following = player.sequence().following();
        waitFor([&] { return player.loader().holdsAhead(following, area); });
        settle(100);
        if (!lookAhead)
            player.setLookAhead(false);
        displayed = false;
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&window, &press);
        QApplication::sendEvent(&window, &release);
        waitFor([&] { return displayed; });
        return double(timer.nsecsElapsed()) / 1e6;
    };
    std::vector<double> with, without;
    for (int i = 0; i < pairs; ++i) {
        if (i % 2 == 0) {
            with.push_back(nextPhoto(true));
            without.push_back(nextPhoto(false));
        } else {
            without.push_back(nextPhoto(false));
            with.push_back(nextPhoto(true));
        }
    }
    out << "« Photo suivante » affichée, avec lecture anticipée : " << QString::number(median(with), 'f', 1)
        << " ms (" << list(with) << ")\n";
    out << "« Photo suivante » affichée, sans lecture anticipée : " << QString::number(median(without), 'f', 1)
        << " ms (" << list(without) << ")\n";
    out << "Rapport : " << QString::number(median(with) / median(without), 'f', 2) << "\n";
    out.flush();
    window.close();

    // 2. One photo made ready for the screen.
    std::vector<double> scaled, whole;
    for (int i = 0; i < pairs; ++i) {
        const QString &path = photos.at(i);
        auto dct = [&] { scaled.push_back(elapsedMs([&] { prepareSlideshowPicture(path, area); })); };
        auto full = [&] {
            whole.push_back(elapsedMs([&] { fittedPicture(Imaging::loadPhoto(path).picture, area); }));
        };
        if (i % 2 == 0) {
            dct();
            full();
        } else {
            full();
            dct();
        }
    }
    out << "Photo prête pour l'écran, décodée à l'échelle DCT qui couvre l'écran : "
        << QString::number(median(scaled), 'f', 1) << " ms (" << list(scaled) << ")\n";
    out << "Photo prête pour l'écran, décodée entière puis réduite : " << QString::number(median(whole), 'f', 1)
        << " ms (" << list(whole) << ")\n";
    out << "Rapport : " << QString::number(median(scaled) / median(whole), 'f', 2) << "\n";
    return 0;
}
