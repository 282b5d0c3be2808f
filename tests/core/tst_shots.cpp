// Shots: with the other formats on, the files of one name in one folder (IMG_0001.JPG,
// IMG_0001.CR2, IMG_0001.XMP) are found, named, remembered and transferred together. The
// grouping rules of the search (letter case, lone sidecars, the same name in two folders, a RAW
// alone), the history listing every member with "new" by any member, names free for every
// member, the transfer of a shot with deletion (every member verified before any source goes;
// one damaged member keeps the whole shot), the low-quality copies and EXIF texts of HEIF, RAW
// and video shots, and a whole card emptied by lumaro-cli with the setting on and off.
#include "core/discovery/filtrephoto.h"
#include "core/discovery/recherchephotos.h"
#include "core/discovery/shotmembers.h"
#include "core/exif/exifdate.h"
#include "core/exif/informationexif.h"
#include "core/files/safecopy.h"
#include "core/formats/formatinformation.h"
#include "core/formats/formatreader.h"
#include "core/imaging/imaging.h"
#include "core/naming/namemask.h"
#include "core/operations/photooperations.h"
#include "core/operations/shottransfer.h"
#include "core/settings/paramappli.h"
#include "core/sources/photosource.h"
#include "core/workflows/batchtransfer.h"
#include "core/workflows/photobyphoto.h"
#include "tests/formatsamples.h"
#include "tests/testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using TestSupport::readFile;

namespace {

[[nodiscard]] bool makeFile(const QString &path, const QString &time = QStringLiteral("2004-02-14 10:30:12"),
                            const QByteArray &content = "data")
{
    if (!TestSupport::writeFile(path, content))
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
           && file.setFileTime(QDateTime::fromString(time, QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                               QFileDevice::FileModificationTime);
}

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        files << name;
    for (const QString &sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        for (const QString &name : filesUnder(dir.filePath(sub)))
            files << sub + u'/' + name;
    return files;
}

} // namespace

class TestShots : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_settings, m_card, m_out;

    void writeSettings(const QString &general)
    {
        QVERIFY(TestSupport::writeFile(m_settings + QStringLiteral("Lumaro.ini"),
                                       ("[General]\r\n" + general + "\r\n").toUtf8()));
    }
    TParamAppli settings() const { return TParamAppli(m_settings + QStringLiteral("Lumaro.ini")); }

    QStringList search(ShotMembers *shots, QStringList *extras = nullptr, bool newOnly = false)
    {
        TFiltrePhoto filter(m_settings);
        filter.NouvellePhoto = newOnly;
        QStringList photos, extraFiles;
        RecordingUserInterface ui;
        RechercherPhotos(m_card, true, filter, extraFiles, photos, settings(), ui, VolumeLocator(), shots);
        if (extras)
            *extras = relative(extraFiles);
        return relative(photos);
    }
    QStringList relative(const QStringList &paths) const
    {
        QStringList result;
        for (const QString &path : paths)
            result << (path.startsWith(m_card) ? path.mid(m_card.size()) : path);
        return result;
    }
    // The photos of a camera serving the card folder, searched as the set-up dialog does.
    struct CameraPhotos {
        std::shared_ptr<PhotoSource> source;
        ShotMembers shots;
        QStringList photos;
    };
    bool searchCamera(const QString &uri, CameraPhotos &found)
    {
        const SourceOpening opening = PhotoSources::open(uri);
        if (!opening.source) {
            qWarning() << opening.message;
            return false;
        }
        found.source = opening.source;
        QStringList extras;
        RecordingUserInterface ui;
        RechercherPhotos(*found.source, found.source->root(), true, TFiltrePhoto(m_settings), extras, found.photos,
                         settings(), ui, &found.shots);
        return true;
    }

    FormatReader::Options probe() const
    {
        FormatReader::Options options;
        options.probeProgram = QStringLiteral(LUMARO_PROBE);
        return options;
    }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = m_dir->filePath(QStringLiteral("settings/"));
        m_card = m_dir->filePath(QStringLiteral("card/"));
        m_out = m_dir->filePath(QStringLiteral("out/"));
        QDir().mkpath(m_settings);
        QDir().mkpath(m_card);
        QDir().mkpath(m_out);
    }

    // With the setting off, RAW, HEIC and video files are nothing but extra files, as they
    // always were, whatever their names share with a JPEG.
    void settingOffKeepsTheSearchAsItWas()
    {
        writeSettings(QStringLiteral("ExtensionSupp=CR2;MP4"));
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0001.JPG")));
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0001.CR2")));
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0002.HEIC")));
        QVERIFY(makeFile(m_card + QStringLiteral("MVI_0003.MP4")));
        ShotMembers shots;
        QStringList extras;
        QCOMPARE(search(&shots, &extras), QStringList{"IMG_0001.JPG"});
        QCOMPARE(extras, (QStringList{"IMG_0001.CR2", "MVI_0003.MP4"}));
        QVERIFY(shots.isEmpty());
    }

    void filesOfOneNameFormOneShot()
    {
        writeSettings(QStringLiteral("AutresFormats=1\r\nExtensionSupp=XMP;TXT;CR2"));
        // A pair in any letter case, its sidecar; the key is the JPEG, whatever the times say.
        QVERIFY(makeFile(m_card + QStringLiteral("A/img_0001.cr2"), QStringLiteral("2004-02-14 10:00:00")));
        QVERIFY(makeFile(m_card + QStringLiteral("A/IMG_0001.JPG"), QStringLiteral("2004-02-14 10:00:02")));
        QVERIFY(makeFile(m_card + QStringLiteral("A/IMG_0001.xmp")));
        // The same name in another folder is another shot.
        QVERIFY(makeFile(m_card + QStringLiteral("B/IMG_0001.JPG"), QStringLiteral("2004-02-14 11:00:00")));
        // A video with its camera thumbnail; a RAW alone; a HEIC beside its JPEG.
        QVERIFY(makeFile(m_card + QStringLiteral("A/MVI_0002.MOV"), QStringLiteral("2004-02-14 09:00:00")));
        QVERIFY(makeFile(m_card + QStringLiteral("A/MVI_0002.THM")));
        QVERIFY(makeFile(m_card + QStringLiteral("A/IMG_0003.NEF"), QStringLiteral("2004-02-14 12:00:00")));
        QVERIFY(makeFile(m_card + QStringLiteral("A/IMG_0004.HEIC"), QStringLiteral("2004-02-14 13:00:00")));
        QVERIFY(makeFile(m_card + QStringLiteral("A/IMG_0004.JPG"), QStringLiteral("2004-02-14 13:00:00")));
        // A lone sidecar is no shot: an extra file when listed, else nothing.
        QVERIFY(makeFile(m_card + QStringLiteral("A/LONE.XMP")));
        QVERIFY(makeFile(m_card + QStringLiteral("A/LONE.WAV")));
        // A RAW listed as an extra extension is a photo all the same, never copied twice.
        QVERIFY(makeFile(m_card + QStringLiteral("A/NOTES.TXT")));
        // Names that differ only by case and would take the same new name stay apart.
        QVERIFY(makeFile(m_card + QStringLiteral("C/x.jpg"), QStringLiteral("2004-02-15 08:00:00")));
        QVERIFY(makeFile(m_card + QStringLiteral("C/X.JPEG"), QStringLiteral("2004-02-15 08:00:00")));

        ShotMembers shots;
        QStringList extras;
        const QStringList photos = search(&shots, &extras);
        QCOMPARE(photos, (QStringList{"A/MVI_0002.MOV", "A/IMG_0001.JPG", "B/IMG_0001.JPG", "A/IMG_0003.NEF",
                                      "A/IMG_0004.JPG", "C/X.JPEG", "C/x.jpg"}));
        QCOMPARE(extras, (QStringList{"A/LONE.XMP", "A/NOTES.TXT"}));
        QCOMPARE(relative(shots.membersOf(m_card + QStringLiteral("A/IMG_0001.JPG"))),
                 (QStringList{"A/IMG_0001.JPG", "A/img_0001.cr2", "A/IMG_0001.xmp"}));
        QCOMPARE(relative(shots.membersOf(m_card + QStringLiteral("A/MVI_0002.MOV"))),
                 (QStringList{"A/MVI_0002.MOV", "A/MVI_0002.THM"}));
        QCOMPARE(relative(shots.membersOf(m_card + QStringLiteral("A/IMG_0004.JPG"))),
                 (QStringList{"A/IMG_0004.JPG", "A/IMG_0004.HEIC"}));
        QCOMPARE(shots.membersOf(m_card + QStringLiteral("A/IMG_0003.NEF")).size(), 1);
        QCOMPARE(shots.membersOf(m_card + QStringLiteral("B/IMG_0001.JPG")).size(), 1);
        QCOMPARE(shots.size(), 3);
    }

    // The history lists every file; a shot comes back as new when any of its files is new.
    void historyListsEveryMemberAndAnyNewMemberMakesTheShotNew()
    {
        writeSettings(QStringLiteral("AutresFormats=1"));
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0001.JPG")));
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0002.JPG"), QStringLiteral("2004-02-14 11:00:00")));
        QCOMPARE(search(nullptr, nullptr, true).size(), 2);
        QCOMPARE(search(nullptr, nullptr, true), QStringList());
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0001.CR2")));
        ShotMembers shots;
        QCOMPARE(search(&shots, nullptr, true), QStringList{"IMG_0001.JPG"});
        const QStringList histories = QDir(m_settings + QStringLiteral("Histo")).entryList(QDir::Files);
        QCOMPARE(histories.size(), 1);
        const QByteArray history = readFile(m_settings + QStringLiteral("Histo/") + histories.front());
        QCOMPARE(history.count("\r\n"), 3);
        QVERIFY(history.contains("IMG_0001.CR2") && history.contains("IMG_0002.JPG"));
        QCOMPARE(search(nullptr, nullptr, true), QStringList());
    }

    // One name for the shot, each member with its own extension; a name is free only when no
    // member's file takes it.
    void namesAreFreeForEveryMember()
    {
        writeSettings(QStringLiteral("MasqueNomPhoto=#AAAA-#M-#J #N"));
        const TParamAppli p = settings();
        const double date = 38031.4375; // 2004-02-14 10:30
        const QStringList members{m_card + QStringLiteral("IMG_0001.JPG"), m_card + QStringLiteral("img_0001.cr2"),
                                  m_card + QStringLiteral("IMG_0001.Xmp")};
        QCOMPARE(shotName(p, QString(), members, m_out, date, 1), m_out + QStringLiteral("2004-02-14 1.JPG"));
        QVERIFY(makeFile(m_out + QStringLiteral("2004-02-14 1.CR2")));
        QVERIFY(makeFile(m_out + QStringLiteral("2004-02-14 2.XMP")));
        const QString name = shotName(p, QString(), members, m_out, date, 1);
        QCOMPARE(name, m_out + QStringLiteral("2004-02-14 3.JPG"));
        QCOMPARE(memberDestination(name, members.at(1)), m_out + QStringLiteral("2004-02-14 3.CR2"));
        QCOMPARE(memberDestination(name, members.at(2)), m_out + QStringLiteral("2004-02-14 3.XMP"));
        // A HEIC or a JPEG alone keeps its extension and passes over the names that files of
        // other shots take, whatever their kinds and letter case, on the disk or promised:
        // files of one name would be one shot for an editor and for the next search. Other
        // files take no name, and the JPEG of the documented naming (other formats off) is
        // named as ever.
        QCOMPARE(shotName(p, QString(), {m_card + QStringLiteral("a.heic")}, m_out, date, 1),
                 m_out + QStringLiteral("2004-02-14 3.HEIC"));
        QVERIFY(makeFile(m_out + QStringLiteral("2004-02-14 3.txt")));
        QCOMPARE(shotName(p, QString(), {m_card + QStringLiteral("a.jpeg")}, m_out, date, 1),
                 m_out + QStringLiteral("2004-02-14 3.JPG"));
        QVERIFY(makeFile(m_out + QStringLiteral("2004-02-14 3.nef")));
        PromisedNames promised;
        promised.promise({m_out + QStringLiteral("2004-02-14 4.MP4")});
        QCOMPARE(shotName(p, QString(), {m_card + QStringLiteral("a.heic")}, m_out, date, 1, QLocale(), &promised),
                 m_out + QStringLiteral("2004-02-14 5.HEIC"));
        QCOMPARE(CalculerNomPhoto(p, QString(), m_card + QStringLiteral("a.jpeg"), m_out, date, false, 1),
                 m_out + QStringLiteral("2004-02-14 1.JPG"));
        // Without #N, the " - k" loop passes over a name any member takes.
        writeSettings(QStringLiteral("MasqueNomPhoto=#ORIG"));
        QVERIFY(makeFile(m_out + QStringLiteral("IMG_0001.XMP")));
        QCOMPARE(shotName(settings(), QString(), members, m_out, date, 1), m_out + QStringLiteral("IMG_0001 - 1.JPG"));
    }

    // Every member is verified before any source goes; one member whose copy is damaged keeps
    // the whole shot on the card.
    void shotLeavesTheCardWholeOrNotAtAll()
    {
        writeSettings(QStringLiteral("SupprimerPhoto=1\r\nAutresFormats=1"));
        const TParamAppli p = settings();
        const QStringList members{m_card + QStringLiteral("IMG_0001.JPG"), m_card + QStringLiteral("IMG_0001.CR2"),
                                  m_card + QStringLiteral("IMG_0001.XMP")};
        QVERIFY(makeFile(members.at(0), QStringLiteral("2004-02-14 10:30:12"), "jpeg bytes"));
        QVERIFY(makeFile(members.at(1), QStringLiteral("2004-02-14 10:30:12"), QByteArray(300000, 'r')));
        QVERIFY(makeFile(members.at(2), QStringLiteral("2004-02-14 10:30:12"), "<xmp/>"));
        TListeInformationExif exif;
        RecordingUserInterface ui;

        // The second member's copy is damaged on its way to the disk.
        int writes = 0;
        SafeCopy::Hooks damage;
        damage.afterWrite = [&writes](const QString &temporary) {
            if (++writes == 2) {
                QFile file(temporary);
                QVERIFY(file.open(QIODevice::ReadWrite));
                file.seek(1000);
                file.write("X");
            }
        };
        const QString name = m_out + QStringLiteral("shot.JPG");
        QVERIFY(!transferShot(p, ui, members, m_out, name, 0, exif, false, false, damage));
        QCOMPARE(ui.information.size(), 1);
        QVERIFY(ui.information.front().startsWith(QStringLiteral("Erreur pendant le transfert de la photo")));
        for (const QString &member : members)
            QVERIFY2(QFile::exists(member), qPrintable(member));
        QVERIFY(!QFile::exists(m_out + QStringLiteral("shot.CR2")));
        QVERIFY(!QFile::exists(m_out + QStringLiteral("shot.XMP"))); // nothing after the failure

        // Undamaged: every member under the one name, byte for byte, then every source gone.
        QVERIFY(transferShot(p, ui, members, m_out, name, 0, exif, false, false));
        QCOMPARE(readFile(m_out + QStringLiteral("shot.JPG")), QByteArray("jpeg bytes"));
        QCOMPARE(readFile(m_out + QStringLiteral("shot.CR2")), QByteArray(300000, 'r'));
        QCOMPARE(readFile(m_out + QStringLiteral("shot.XMP")), QByteArray("<xmp/>"));
        for (const QString &member : members)
            QVERIFY2(!QFile::exists(member), qPrintable(member));
    }

    // A HEIF's or RAW's low-quality copy is made from its picture, upright and of the set size;
    // its EXIF text comes from its own metadata; a video's tells its date in local time.
    void lowQualityCopyAndExifTextOfOtherFormats()
    {
        writeSettings(QStringLiteral("AutresFormats=1\r\n[ImagesLowQ]\r\nRedimensionner=1\r\nIndiceNewDim=0"));
        const TParamAppli p = settings();
        const QSize upright(400, 300);
        QVERIFY(FormatSamples::jpeg(m_dir->filePath("side.jpg"), FormatSamples::storedFor(upright, 6), 6));
        QVERIFY(FormatSamples::heic(m_dir->filePath("side.jpg"), m_card + QStringLiteral("IMG_0001.HEIC")));
        QVERIFY(FormatSamples::jpeg(m_dir->filePath("preview.jpg"), FormatSamples::storedFor(QSize(1200, 900), 6), 0));
        QVERIFY(FormatSamples::rawLike(m_card + QStringLiteral("IMG_0002.CR2"), m_dir->filePath("preview.jpg"), 6));
        QVERIFY(FormatSamples::video(m_card + QStringLiteral("MVI_0003.MP4"), QStringLiteral("2023-07-01T10:00:00Z")));
        const QByteArray heicBytes = readFile(m_card + QStringLiteral("IMG_0001.HEIC"));
        const QByteArray rawBytes = readFile(m_card + QStringLiteral("IMG_0002.CR2"));

        FormatReader reader(probe());
        PreparedTransfer prepared;
        prepared.formatReader = &reader;
        RecordingUserInterface ui;
        for (const QString &name : {QStringLiteral("IMG_0001.HEIC"), QStringLiteral("IMG_0002.CR2")}) {
            const QString source = m_card + name;
            TListeInformationExif exif;
            QVERIFY(readFormatInformation(reader, exif, source, true).ok());
            const QString target = m_out + name;
            QVERIFY2(transferShot(p, ui, {source}, m_out, target, 0, exif, true, true, {}, prepared),
                     qPrintable(ui.information.join(u'\n')));
            const QString low = NomBasseQualite(p, memberDestination(target, QStringLiteral(".JPG")));
            const QImage picture = Imaging::loadPhoto(low).picture;
            QCOMPARE(picture.size(), QSize(320, 240));
            QCOMPARE(FormatSamples::corners(picture), QStringLiteral("RGBW"));
            const QByteArray text = readFile(exifFileName(target));
            QVERIFY2(text.contains("Date taken=2021:03:04 05:06:07\r\n"), text.constData());
        }
        // Never rewritten: the orientation stays as the camera wrote it.
        QCOMPARE(readFile(m_out + QStringLiteral("IMG_0001.HEIC")), heicBytes);
        QCOMPARE(readFile(m_out + QStringLiteral("IMG_0002.CR2")), rawBytes);

        const QString video = m_card + QStringLiteral("MVI_0003.MP4");
        TListeInformationExif exif;
        QVERIFY(readFormatInformation(reader, exif, video, true).ok());
        QCOMPARE(DatePhoto(exif, video), 45108.5); // 2023-07-01 12:00 in Paris
        QVERIFY(transferShot(p, ui, {video}, m_out, m_out + QStringLiteral("MVI_0003.MP4"), 0, exif, true, true, {},
                             prepared));
        const QByteArray text = readFile(m_out + QStringLiteral("MVI_0003.txt"));
        QVERIFY2(text.contains("Date taken=2023:07:01 12:00:00\r\n") && text.contains("Duration="), text.constData());
        QVERIFY(!QFile::exists(NomBasseQualite(p, m_out + QStringLiteral("MVI_0003.JPG")))); // no copy of a video
    }

    // The card of a camera and a phone, emptied by lumaro-cli with deletion on: each shot under
    // one name with its members' extensions, dated from its own metadata, damaged files copied
    // as they are under their file time; the same card with the setting off as ever.
    void cardEmptiedByTheCommandLine()
    {
        const QString dcim = m_card + QStringLiteral("DCIM/100CANON/");
        QVERIFY(FormatSamples::jpeg(dcim + QStringLiteral("IMG_0001.JPG"), FormatSamples::quadrants({400, 300}), 1));
        QVERIFY(FormatSamples::jpeg(m_dir->filePath("preview.jpg"), FormatSamples::quadrants({1200, 900}), 0));
        QVERIFY(FormatSamples::rawLike(dcim + QStringLiteral("IMG_0001.CR2"), m_dir->filePath("preview.jpg"), 1));
        QVERIFY(FormatSamples::jpeg(m_dir->filePath("phone.jpg"), FormatSamples::quadrants({400, 300}), 1,
                                    QStringLiteral("2022:05:06 07:08:09")));
        QVERIFY(FormatSamples::heic(m_dir->filePath("phone.jpg"), dcim + QStringLiteral("IMG_0002.HEIC")));
        QVERIFY(FormatSamples::video(dcim + QStringLiteral("MVI_0003.MP4"), QStringLiteral("2023-07-01T10:00:00Z")));
        QVERIFY(makeFile(dcim + QStringLiteral("MVI_0003.THM"), QStringLiteral("2023-07-01 12:00:00"), "thm"));
        QVERIFY(makeFile(dcim + QStringLiteral("BAD_0004.MP4"), QStringLiteral("2020-01-02 03:04:06"),
                         QByteArray("\0\0\0\x18" "ftypmp42", 12) + QByteArray(5000, '\xff')));
        QVERIFY(makeFile(dcim + QStringLiteral("BAD_0005.HEIC"), QStringLiteral("2020-01-02 03:04:08"),
                         readFile(dcim + QStringLiteral("IMG_0002.HEIC")).left(600)));
        const QStringList before = filesUnder(m_card);
        QTemporaryDir copy;
        QVERIFY(TestSupport::runProgram(QStringLiteral("cp"), {QStringLiteral("-a"), m_card + u'.', copy.path()}));

        writeSettings(QStringLiteral("SupprimerPhoto=1\r\nMasqueNomPhoto=#AAAA-#M-#J #HH-#MI-#SS\r\nExtensionSupp=MP4"));
        QString out, err;
        QCOMPARE(TestSupport::runCli({"batch", "--all-formats", "--settings-dir", m_settings, "--yes", m_card, m_out},
                                     &out, &err),
                 0);
        QCOMPARE(filesUnder(m_card), QStringList()); // every file gone
        const QStringList written = filesUnder(m_out);
        QCOMPARE(written, (QStringList{"2020-01-02 03-04-06.MP4", "2020-01-02 03-04-08.HEIC", "2021-03-04 05-06-07.CR2",
                                       "2021-03-04 05-06-07.JPG", "2022-05-06 07-08-09.HEIC",
                                       "2023-07-01 12-00-00.MP4", "2023-07-01 12-00-00.THM"}));
        QCOMPARE(out.count(u'\n'), 8); // every file written, then "--"
        QCOMPARE(readFile(m_out + QStringLiteral("2020-01-02 03-04-06.MP4")),
                 readFile(copy.filePath(QStringLiteral("DCIM/100CANON/BAD_0004.MP4"))));
        QCOMPARE(readFile(m_out + QStringLiteral("2021-03-04 05-06-07.CR2")),
                 readFile(copy.filePath(QStringLiteral("DCIM/100CANON/IMG_0001.CR2"))));

        // The setting off: the JPEG alone is a photo, the MP4 files extra files, the rest stays.
        QDir(m_card).removeRecursively();
        QVERIFY(TestSupport::runProgram(QStringLiteral("cp"), {QStringLiteral("-a"), copy.path() + u'/', m_card}));
        QCOMPARE(filesUnder(m_card), before);
        const QString off = m_dir->filePath(QStringLiteral("off/"));
        QCOMPARE(TestSupport::runCli({"batch", "--settings-dir", m_settings, "--yes", m_card, off}, &out, &err), 0);
        QCOMPARE(filesUnder(off), (QStringList{"2021-03-04 05-06-07.JPG", "MP4/BAD_0004.MP4", "MP4/MVI_0003.MP4"}));
        QCOMPARE(filesUnder(m_card).size(), before.size() - 1);
        QVERIFY(!filesUnder(m_card).contains(QStringLiteral("DCIM/100CANON/IMG_0001.JPG")));
    }

    // Two shots never leave under one name, whatever their kinds: a JPEG alone passes over a
    // name that another shot's sidecar took before, and a RAW over the JPEG's, written just
    // before it or still on its way.
    void shotsNeverShareAName()
    {
        QVERIFY(FormatSamples::jpeg(m_card + QStringLiteral("IMG_0001.JPG"), FormatSamples::quadrants({400, 300}), 1,
                                    QStringLiteral("2021:03:04 05:06:07")));
        QVERIFY(FormatSamples::jpeg(m_dir->filePath("preview.jpg"), FormatSamples::quadrants({1200, 900}), 0));
        QVERIFY(FormatSamples::rawLike(m_card + QStringLiteral("IMG_0002.CR2"), m_dir->filePath("preview.jpg"), 1));
        QVERIFY(makeFile(m_out + QStringLiteral("2021-03-04.xmp"), QStringLiteral("2021-03-04 12:00:00"), "<xmp/>"));
        writeSettings(QStringLiteral("SupprimerPhoto=1\r\nMasqueNomPhoto=#AAAA-#M-#J"));
        QString out, err;
        QCOMPARE(TestSupport::runCli({"batch", "--all-formats", "--settings-dir", m_settings, "--yes", m_card, m_out},
                                     &out, &err),
                 0);
        QCOMPARE(filesUnder(m_out), (QStringList{"2021-03-04 - 1.JPG", "2021-03-04 - 2.CR2", "2021-03-04.xmp"}));
        QCOMPARE(filesUnder(m_card), QStringList());
    }

    // A shot written ahead and then not to be finished (a stop) is taken back: its files, and
    // the folders it made, go; its sources stay. A file it replaced was the user's: it stays.
    void aShotWrittenAheadIsTakenBack()
    {
        writeSettings(QStringLiteral("AutresFormats=1\r\nSupprimerPhoto=1"));
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0001.JPG"), QStringLiteral("2004-02-14 10:30:12"), "jpeg"));
        QVERIFY(makeFile(m_card + QStringLiteral("IMG_0001.CR2"), QStringLiteral("2004-02-14 10:30:12"), "raw"));
        const QStringList members{m_card + QStringLiteral("IMG_0001.JPG"), m_card + QStringLiteral("IMG_0001.CR2")};
        const TParamAppli p = settings();
        TListeInformationExif exif;
        {
            ShotTransfer transfer(p, members, m_out, m_out + QStringLiteral("2004/02/Noel.JPG"), 0, exif, false, false);
            transfer.write();
            QVERIFY(!transfer.failed());
            QCOMPARE(filesUnder(m_out), (QStringList{"2004/02/Noel.CR2", "2004/02/Noel.JPG"}));
            transfer.takeBack();
        }
        QCOMPARE(QDir(m_out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QCOMPARE(filesUnder(m_card), (QStringList{"IMG_0001.CR2", "IMG_0001.JPG"}));

        QVERIFY(makeFile(m_out + QStringLiteral("Noel.CR2"), QStringLiteral("2004-02-14 10:30:12"), "the user's"));
        ShotTransfer over(p, members, m_out, m_out + QStringLiteral("Noel.JPG"), 0, exif, false, false);
        over.write();
        over.takeBack();
        QCOMPARE(filesUnder(m_out), QStringList{"Noel.CR2"});
        QCOMPARE(filesUnder(m_card).size(), 2);
    }

    // A camera's shots, through libgphoto2's folder camera: the files of one name form one shot
    // there as on a card, each read once from the camera, written under the shot's name with its
    // own extension and deleted on the camera once every member arrived verified; by the batch,
    // by lumaro-cli on the camera's address, and photo by photo.
    void aCameraEmptiedShotByShot()
    {
        // The folder camera lists neither HEIF nor XMP files: RAW, JPEG, THM, WAV and films.
        const QString dcim = m_card + QStringLiteral("DCIM/100CANON/");
        QVERIFY(FormatSamples::jpeg(dcim + QStringLiteral("IMG_0001.JPG"), FormatSamples::quadrants({400, 300}), 1));
        QVERIFY(FormatSamples::jpeg(m_dir->filePath("preview.jpg"), FormatSamples::quadrants({1200, 900}), 0));
        QVERIFY(FormatSamples::rawLike(dcim + QStringLiteral("IMG_0001.CR2"), m_dir->filePath("preview.jpg"), 1));
        QVERIFY(makeFile(dcim + QStringLiteral("IMG_0001.WAV"), QStringLiteral("2021-03-04 05:06:30"), "voice"));
        QVERIFY(FormatSamples::video(dcim + QStringLiteral("MVI_0002.MOV"), QStringLiteral("2023-07-01T10:00:00Z")));
        QVERIFY(makeFile(dcim + QStringLiteral("MVI_0002.THM"), QStringLiteral("2023-07-01 12:00:00"), "thm"));
        QVERIFY(FormatSamples::rawLike(dcim + QStringLiteral("DSC_0003.NEF"), m_dir->filePath("preview.jpg"), 6,
                                       QStringLiteral("2022:01:02 03:04:05")));
        QTemporaryDir copy;
        QVERIFY(TestSupport::runProgram(QStringLiteral("cp"), {QStringLiteral("-a"), m_card + u'.', copy.path()}));
        const QStringList cameraFiles = filesUnder(m_card);
        writeSettings(QStringLiteral("AutresFormats=1\r\nSupprimerPhoto=1\r\nMasqueNomPhoto=#AAAA-#M-#J #HH-#MI-#SS"));
        const QStringList expected{"2021-03-04 05-06-07.CR2", "2021-03-04 05-06-07.JPG", "2021-03-04 05-06-07.WAV",
                                   "2022-01-02 03-04-05.NEF", "2023-07-01 12-00-00.MOV", "2023-07-01 12-00-00.THM"};
        // Every file as the camera held it.
        const auto sameBytes = [&](const QString &out) {
            const QList<QPair<QString, QString>> copies{{"IMG_0001.CR2", "2021-03-04 05-06-07.CR2"},
                                                        {"IMG_0001.WAV", "2021-03-04 05-06-07.WAV"},
                                                        {"MVI_0002.MOV", "2023-07-01 12-00-00.MOV"},
                                                        {"DSC_0003.NEF", "2022-01-02 03-04-05.NEF"}};
            for (const auto &[source, written] : copies)
                QVERIFY2(readFile(out + written) == readFile(copy.filePath(QStringLiteral("DCIM/100CANON/") + source)),
                         qPrintable(written));
        };
        const QString camera = QStringLiteral("gphoto2://[disk:%1]/").arg(m_card);
        const auto refill = [&] {
            QDir(m_card).removeRecursively();
            QVERIFY(TestSupport::runProgram(QStringLiteral("cp"), {QStringLiteral("-a"), copy.path() + u'/', m_card}));
        };
        {
            CameraPhotos found;
            QVERIFY(searchCamera(camera, found));
            QCOMPARE(found.photos.size(), 3);
            const QStringList pair = found.shots.membersOf(camera + QStringLiteral("DCIM/100CANON/IMG_0001.JPG"));
            QCOMPARE(pair, (QStringList{camera + QStringLiteral("DCIM/100CANON/IMG_0001.JPG"),
                                        camera + QStringLiteral("DCIM/100CANON/IMG_0001.CR2"),
                                        camera + QStringLiteral("DCIM/100CANON/IMG_0001.WAV")}));
            BatchOptions options;
            options.destination = m_out;
            options.source = found.source;
            options.probeProgram = QStringLiteral(LUMARO_PROBE);
            RecordingUserInterface ui;
            const TParamAppli p = settings();
            BatchTransfer batch(p, ui, found.photos, options, &found.shots);
            const BatchTransfer::Result result = batch.run();
            QCOMPARE(result.failures, 0);
            QCOMPARE(ui.errors, QStringList());
            QCOMPARE(found.photos, QStringList());
            QCOMPARE(batch.PhotosTransferees().size(), expected.size());
            found.source->release();
        }
        QCOMPARE(filesUnder(m_out), expected);
        QCOMPARE(filesUnder(m_card), QStringList()); // every file gone from the camera
        sameBytes(m_out);

        refill();
        QCOMPARE(filesUnder(m_card), cameraFiles);
        const QString byCli = m_dir->filePath(QStringLiteral("cli/"));
        QString out, err;
        QCOMPARE(TestSupport::runCli({"batch", "--settings-dir", m_settings, "--yes", camera, byCli}, &out, &err), 0);
        QCOMPARE(filesUnder(byCli), expected);
        QCOMPARE(filesUnder(m_card), QStringList());
        sameBytes(byCli);

        // Photo by photo: the RAW+JPEG shot shown, then transferred whole.
        refill();
        CameraPhotos found;
        QVERIFY(searchCamera(camera, found));
        RecordingUserInterface ui;
        const TParamAppli p = settings();
        const QString byHand = m_dir->filePath(QStringLiteral("hand/"));
        // The RAW+JPEG shot alone, shown first.
        QStringList photos{camera + QStringLiteral("DCIM/100CANON/IMG_0001.JPG"), found.photos.at(0)};
        PhotoByPhotoSession session(p, photos, byHand, QStringLiteral("Noel"), &found.shots);
        session.setSource(found.source);
        session.showCurrent();
        QCOMPARE(session.members().size(), 3);
        QCOMPARE(session.DateLue(), ExifDate::parse(QStringLiteral("2021:03:04 05:06:07")));
        QVERIFY(session.turnable());
        session.transfer(session.NomFinal(), ui);
        QCOMPARE(ui.information, QStringList());
        QCOMPARE(filesUnder(byHand), expected.mid(0, 3));
        QCOMPARE(photos.size(), 1);
        QVERIFY(!filesUnder(m_card).contains(QStringLiteral("DCIM/100CANON/IMG_0001.CR2")));
        QVERIFY(filesUnder(m_card).contains(QStringLiteral("DCIM/100CANON/DSC_0003.NEF")));
        found.source->release();
    }
};

QTEST_GUILESS_MAIN(TestShots)
#include "tst_shots.moc"
