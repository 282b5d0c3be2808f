#pragma once
// Reads the camera files that are not JPEG (RAW, HEIF, video) without ever parsing them in the
// program's own process: every file is handed to a lumaro-probe child process, which runs with
// a memory and a processor limit and is killed when it overruns its deadline. A probe that
// crashes, hangs or answers garbage costs that one file a failure reason; the next file gets a
// new probe.
//
// Usage: one FormatReader per owner (a transfer, a window), shared by its worker threads.
// Every call is thread-safe and blocks its caller until the answer or the deadline. Up to
// Options::maximumProbes calls run at once, each on its own probe; further callers wait for
// one. Probes are started on first use and kept for the next calls, so a warm call costs the
// reading itself plus well under a millisecond; a cold one adds the probe's start (about 70 ms
// of processor time, most of it the loading of libavformat's codecs).
//
// Nothing throws. A file that cannot be read gives a result whose `failure` holds a French
// reason ("Fichier vide", "Image HEIF illisible (...)", "Lecture trop longue, abandonnée"...),
// logged in the category "lumaro.core" at the info level. The caller then falls back on the
// file date and copies the file as it is.
#include "core/exif/datetimevalue.h"
#include "core/exif/exifreader.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include <sys/types.h>

class ProbePool;
namespace ProbeProtocol {
struct Reply;
}

// What a file says about itself.
struct FormatMetadata {
    QString failure; // empty when the file was read

    // The date the photo or video was taken, local wall-clock time (a day count as
    // core/exif/datetimevalue.h; DateValue::None when the file records none): the EXIF date taken
    // of a RAW or HEIF file, a video's creation time (stored in UTC) in local time. The same
    // date is the value of the "Date taken" entry, when there is one.
    double dateTaken = DateValue::None;
    // The EXIF orientation 1..8 as the file records it (1 when it records none). Pictures
    // from FormatReader::picture are already upright: never turn them again by it.
    int orientation = 1;
    // A RAW's or HEIF's EXIF entries named and worded as ExifReader gives them for a JPEG
    // ("Date taken", "Orientation", "Manufacturer"...), in file order. A video's: "Date taken"
    // (when known), "Duration" ("12.40 s" or "0:01:05"), "Pixel X Dimension",
    // "Pixel Y Dimension".
    QList<ExifReader::Entry> entries;
    // The EXIF data in its TIFF form, for Imaging::Metadata when a JPEG copy keeps it (a RAW's
    // without its maker note); empty when the file has none or it would not fit a JPEG.
    QByteArray exifBlock;
    // A video's length in milliseconds and its picture size as shown (turned when the video
    // says so); -1 and invalid for photos and when unknown.
    qint64 durationMs = -1;
    QSize pixelSize;

    bool ok() const { return failure.isEmpty(); }
};

// A picture of a file, upright.
struct FormatPicture {
    QString failure;  // empty when the picture was made
    QImage picture;   // Format_RGB888, upright by the file's orientation
    QSize storedSize; // the size of the picture in the file before scaling and turning (a
                      // RAW's: its preview's)

    bool ok() const { return failure.isEmpty(); }
};

class FormatReader {
public:
    struct Options {
        // lumaro-probe; empty: the one beside the running program (ProbeLocation::find()).
        QString probeProgram;
        // Wall-clock deadlines of one call; the probe's processor time is held to the same.
        std::chrono::milliseconds metadataTimeout{5000};
        std::chrono::milliseconds pictureTimeout{20000};
        int maximumProbes = 3; // two worker threads and the main thread
    };

    // How the picture meets the box: inside it, or covering it in both directions (for a copy
    // resized to the box next). Never enlarged; an empty box asks for the full size.
    enum class Scale { Fit, Cover };

    FormatReader(); // default options
    explicit FormatReader(Options options);
    ~FormatReader(); // stops the probes; no call may be under way
    FormatReader(const FormatReader &) = delete;
    FormatReader &operator=(const FormatReader &) = delete;

    // The metadata of a RAW, HEIF or video file (FileKind by its name); about a millisecond
    // warm for a photo, a few for a video. Any other kind of file fails at once.
    FormatMetadata metadata(const QString &path);
    // The same for a file that exists only in memory (read from a camera); `name` gives its
    // kind. At most ProbeProtocol::MaximumFileBytes.
    FormatMetadata metadata(const QString &name, const QByteArray &content);

    // An upright picture of a HEIF or RAW file scaled to the box. A small box is served from a
    // HEIF's own thumbnail or a RAW's smallest preview that is large enough (a few
    // milliseconds); otherwise a HEIF's primary image is decoded (about a second of processor
    // time for 12 MP: HEVC decoding is most of it) and a RAW's largest JPEG preview, at the
    // smallest DCT scale that covers the box (tens of milliseconds). The reply carries the
    // picture's pixels: a full-size 12 MP picture is 36 MB through the socket. A video has no
    // picture: it fails with "Pas d'image pour une vidéo".
    FormatPicture picture(const QString &path, QSize box, Scale scale = Scale::Fit);
    FormatPicture picture(const QString &name, const QByteArray &content, QSize box, Scale scale = Scale::Fit);

    // The probes running now (for tests that kill one mid-request).
    std::vector<pid_t> probeProcesses() const;

private:
    struct Call;
    std::optional<ProbeProtocol::Reply> ask(const Call &call, QString *failure);
    FormatMetadata metadataOf(const Call &call);
    FormatPicture pictureOf(const Call &call);

    Options m_options;
    std::unique_ptr<ProbePool> m_pool;
};
