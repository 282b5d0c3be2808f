// lumaro-bench MEASURE CARD OUTPUT: runs one operation of a transfer over every photo of a card
// inside this one process and prints the time it took in milliseconds on standard output.
//   transfer          copy under a new name, sources stay
//   transfer-delete   copy proven good, then the source deleted
//   rotate            lossless quarter turn of every photo of CARD, in place (OUTPUT unused)
//   lowq              low-quality copies of 640 x 480 at quality 40, EXIF kept
//   exif              the EXIF list of every photo, as a transfer window reads it, printed
//   thumbnail         a 105 x 105 thumbnail of every photo (prints milliseconds per photo)
//   strip             writes copies of the photos without their EXIF block (not timed)
#include "bench/benchsupport.h"
#include "core/exif/exifreader.h"
#include "core/imaging/imaging.h"
#include "core/exif/informationexif.h"
#include "core/imaging/memorytuning.h"
#include "core/settings/paramappli.h"
#include "core/files/paths.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/userinterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

class SilentUserInterface : public UserInterface {
public:
    int failures = 0;
    void showError(const QString &text) override { report(text); }
    void showInformation(const QString &text) override { report(text); }
    bool askConfirmation(const QString &) override { return false; }
    int openWait(const QString &, const QString &) override { return 0; }
    void setWaitText(int, const QString &, const QString &) override {}
    void closeWait(int) noexcept override {}

private:
    void report(const QString &text)
    {
        ++failures;
        QTextStream(stderr) << text << '\n';
    }
};

// A JPEG without its APP1 segments (EXIF and its thumbnail).
QByteArray withoutExif(const QByteArray &jpeg)
{
    QByteArray out = jpeg.left(2);
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        const uchar marker = uchar(jpeg[at + 1]);
        if (marker == 0xDA)
            break;
        const qsizetype length = (uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]);
        if (marker != 0xE1)
            out.append(jpeg.constData() + at, 2 + length);
        at += 2 + length;
    }
    out.append(jpeg.constData() + at, jpeg.size() - at);
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    // As the program and lumaro-cli do.
    MemoryTuning::reuseLargeBlocks();
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 3) {
        QTextStream(stderr) << "Utilisation : lumaro-bench MESURE CARTE SORTIE\n";
        return 1;
    }
    const QString measure = args.at(0);
    const QStringList photos = BenchSupport::photosOf(args.at(1));
    const QString output = Paths::withSeparator(args.at(2));
    QDir().mkpath(output);
    Imaging::LibraryScope library;
    TParamAppli settings(output + QStringLiteral("Lumaro.ini"));
    SilentUserInterface ui;
    TListeInformationExif exif;
    int failures = 0;

    QElapsedTimer timer;
    timer.start();
    if (measure == QStringLiteral("transfer") || measure == QStringLiteral("transfer-delete")) {
        settings.SupprimerPhoto = measure == QStringLiteral("transfer-delete");
        int k = 0;
        for (const QString &photo : photos)
            TransfererPhoto(settings, ui, photo, output, output + QStringLiteral("Photo %1.JPG").arg(++k), 0, exif, false,
                            false);
    } else if (measure == QStringLiteral("rotate")) {
        for (const QString &photo : photos) {
            try {
                RotationSansPerte(photo, 90);
            } catch (const LumaroError &error) {
                ++failures;
                QTextStream(stderr) << error.message() << '\n';
            }
        }
    } else if (measure == QStringLiteral("lowq")) {
        settings.Redimensionner = true;
        settings.IndiceNewDim = 1;
        settings.Qualite = 40;
        settings.GarderInfoEXIF = true;
        for (const QString &photo : photos) {
            try {
                EnregistrerBasseQualite(settings, photo, NomBasseQualite(settings, output + QFileInfo(photo).fileName()), 0);
            } catch (const LumaroError &error) {
                ++failures;
                QTextStream(stderr) << error.message() << '\n';
            }
        }
    } else if (measure == QStringLiteral("exif")) {
        // Printed as exiftool prints its list, one "name: value" line per entry, so that both
        // sides produce the same output.
        QTextStream out(stdout);
        qsizetype entries = 0;
        for (const QString &photo : photos) {
            LireInformationsExif(exif, photo, true);
            out << "======== " << photo << '\n';
            for (const QString &line : exifFileLines(exif))
                out << line << '\n';
            entries += exif.Count();
        }
        out.flush();
        if (entries == 0)
            ++failures;
    } else if (measure == QStringLiteral("thumbnail")) {
        // Milliseconds per photo, over the photos that carry an EXIF block (and so an embedded
        // thumbnail) when there are any, else over all: a card's one photo without EXIF must
        // not weigh on the figure for the others.
        QList<bool> withExif;
        for (const QString &photo : photos)
            withExif << ExifReader::hasExif(photo);
        const bool anyExif = withExif.contains(true);
        double total = 0.0;
        int counted = 0;
        for (qsizetype i = 0; i < photos.size(); ++i) {
            QElapsedTimer one;
            one.start();
            try {
                if (Imaging::loadThumbnail(photos.at(i), QSize(105, 105)).picture.isNull())
                    ++failures;
            } catch (const LumaroError &error) {
                ++failures;
                QTextStream(stderr) << error.message() << '\n';
            }
            if (withExif.at(i) == anyExif) {
                total += double(one.nsecsElapsed()) / 1e6;
                ++counted;
            }
        }
        std::printf("%.2f\n", counted == 0 ? 0.0 : total / counted);
        return failures == 0 ? 0 : 1;
    } else if (measure == QStringLiteral("strip")) {
        for (const QString &photo : photos) {
            QFile in(photo), out(output + QFileInfo(photo).fileName());
            if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) || out.write(withoutExif(in.readAll())) < 0)
                ++failures;
        }
    } else {
        QTextStream(stderr) << "Mesure inconnue : " << measure << '\n';
        return 1;
    }
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%.1f\n", elapsed);
    return failures + ui.failures == 0 ? 0 : 1;
}
