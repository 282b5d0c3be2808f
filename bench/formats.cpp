// lumaro-bench-formats MEASURE OUTPUT FILE...: the program's side of the HEIF and RAW rows of
// bench/run, through the format reader and its probe as the transfers will use them.
//   thumbnail-each   a 105 x 105 thumbnail of each file, as the batch window gets it (OUTPUT
//                    unused); prints the median milliseconds per file with a warm probe (the
//                    first file, which starts it, left out)
//   thumbnail        a 105 x 105 thumbnail of each file, written as a JPEG into OUTPUT (for
//                    one process a photo, bench/run starts it once per file)
//   lowq             the low-quality copy of each file, 640 x 480 (or 480 x 640) at quality 40
//                    with its EXIF kept, as the batch makes a JPEG's: the picture covering the
//                    size from the probe, resized, compressed, written; two worker threads share
//                    the reader as the batch's do
#include "core/formats/formatreader.h"
#include "core/imaging/imaging.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr QSize ThumbnailBox(105, 105);
constexpr QSize LowQualityLandscape(640, 480);

bool writeJpeg(const QString &path, const QByteArray &jpeg)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(jpeg) == jpeg.size();
}

QString outputName(const QString &folder, const QString &file)
{
    return folder + u'/' + QFileInfo(file).completeBaseName() + QStringLiteral(".jpg");
}

bool thumbnail(FormatReader &reader, const QString &file, const QString &output)
{
    const FormatPicture picture = reader.picture(file, ThumbnailBox);
    if (!picture.ok()) {
        QTextStream(stderr) << file << ": " << picture.failure << '\n';
        return false;
    }
    if (output.isEmpty())
        return true;
    Imaging::SaveOptions options;
    options.quality = 75;
    return writeJpeg(outputName(output, file), Imaging::encodeJpeg(picture.picture, options));
}

bool lowQualityCopy(FormatReader &reader, const QString &file, const QString &output)
{
    const FormatMetadata metadata = reader.metadata(file);
    // The square of the long side covers the copy whichever way the picture stands.
    const FormatPicture picture =
        reader.picture(file, QSize(LowQualityLandscape.width(), LowQualityLandscape.width()), FormatReader::Scale::Cover);
    if (!picture.ok()) {
        QTextStream(stderr) << file << ": " << picture.failure << '\n';
        return false;
    }
    const QImage &upright = picture.picture;
    const QSize size =
        upright.width() > upright.height() ? LowQualityLandscape : LowQualityLandscape.transposed();
    Imaging::SaveOptions options;
    options.quality = 40;
    options.metadata = Imaging::Metadata(metadata.exifBlock, {});
    options.pictureTurned = metadata.orientation != 1; // upright now: the copy says so
    return writeJpeg(outputName(output, file), Imaging::encodeJpeg(Imaging::resized(upright, size), options));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        QTextStream(stderr) << "Utilisation : lumaro-bench-formats thumbnail|thumbnail-each|lowq SORTIE FICHIER...\n";
        return 2;
    }
    const QString measure = arguments[1], output = arguments[2];
    const QStringList files = arguments.mid(3);
    FormatReader::Options options;
    options.probeProgram = QStringLiteral(LUMARO_PROBE);
    FormatReader reader(options);
    std::atomic<int> failures{0};

    if (measure == QStringLiteral("thumbnail")) {
        for (const QString &file : files)
            failures += thumbnail(reader, file, output) ? 0 : 1;
    } else if (measure == QStringLiteral("thumbnail-each")) {
        std::vector<double> times;
        for (const QString &file : files) {
            QElapsedTimer timer;
            timer.start();
            failures += thumbnail(reader, file, QString()) ? 0 : 1;
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        if (times.size() > 1)
            times.erase(times.begin()); // the probe's start
        std::sort(times.begin(), times.end());
        std::printf("%.2f\n", times[times.size() / 2]);
    } else if (measure == QStringLiteral("lowq")) {
        std::atomic<int> next{0};
        const auto work = [&] {
            for (int i = next++; i < files.size(); i = next++)
                failures += lowQualityCopy(reader, files[i], output) ? 0 : 1;
        };
        std::thread second(work);
        work();
        second.join();
    } else {
        QTextStream(stderr) << "Mesure inconnue : " << measure << '\n';
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
