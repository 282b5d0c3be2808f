// The EXIF information of a photo: the owned list, reading entries from real files, the date
// and orientation rules, the EXIF text file and the exif / date commands.
#include "core/settings/objectlist.h"
#include "core/exif/datetimevalue.h"
#include "core/error.h"
#include "core/exif/exifdate.h"
#include "core/exif/exifreader.h"
#include "core/exif/informationexif.h"
#include "core/update/versioncheck.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <exiv2/exiv2.hpp>

// Test items live at global scope so that their class names read plainly in the messages.
class TDummy : public TInfo {
public:
    TDummy() = default;
    TDummy(QString key, QStringList *log) : m_key(std::move(key)), m_log(log) {}
    ~TDummy() override
    {
        if (m_log)
            m_log->append(m_key);
    }
    QString Cle() const override { return m_key; }

private:
    QString m_key;
    QStringList *m_log = nullptr;
};

class TDummyList : public TListe {};

class TCopyable : public TInfo {
public:
    QString content;
    void Copier(const TInfo &source) override { content = static_cast<const TCopyable &>(source).content; }
    QString AsString() const override { return content; }
};

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

// A small JPEG without metadata.
bool makePlainJpeg(const QString &path, const QString &colour = QStringLiteral("red"))
{
    return TestSupport::runProgram(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("64x48"), QStringLiteral("xc:") + colour,
                                           QStringLiteral("-strip"), path});
}

// A JPEG with a camera's usual entries, a GPS position and an embedded thumbnail.
bool makeExifJpeg(const QString &path, const QString &orientation = QStringLiteral("6"))
{
    const QString thumb = path + QStringLiteral(".thumb.jpg");
    const bool ok = makePlainJpeg(path) && makePlainJpeg(thumb, QStringLiteral("blue")) &&
                    TestSupport::runProgram(QStringLiteral("exiftool"),
                        {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-Make=Probe"),
                         QStringLiteral("-Model=P 1"), QStringLiteral("-DateTimeOriginal=2004:02:14 10:30:12"),
                         QStringLiteral("-Orientation#=") + orientation, QStringLiteral("-UserComment=Noël"),
                         QStringLiteral("-GPSLatitude=48.5"), QStringLiteral("-GPSLatitudeRef=N"),
                         QStringLiteral("-ThumbnailImage<=") + thumb, path});
    QFile::remove(thumb);
    return ok;
}

// Adds what makes no sense as text: a maker note and a colour profile.
void addBlobs(const QString &path)
{
    auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    image->readMetadata();
    Exiv2::ExifData &exif = image->exifData();
    const std::vector<Exiv2::byte> blob(300, Exiv2::byte(0x41));
    Exiv2::DataValue makerNote(Exiv2::undefined);
    makerNote.read(blob.data(), long(blob.size()));
    exif["Exif.Photo.MakerNote"] = makerNote;
    Exiv2::DataValue profile(Exiv2::undefined);
    profile.read(blob.data(), long(blob.size()));
    exif["Exif.Image.InterColorProfile"] = profile;
    // An old camera's Latin-1 text, followed by left-over bytes after its zero.
    Exiv2::AsciiValue description;
    description.read(std::string("Caf\xE9\0reste", 10));
    exif["Exif.Image.ImageDescription"] = description;
    image->writeMetadata();
}

// Gives the file a last-write time with an odd second, to see the rounding to an even one.
[[nodiscard]] bool setFileTime(const QString &path, const QDateTime &time)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(time, QFileDevice::FileModificationTime);
}

const QDateTime OddTime(QDate(2021, 7, 3), QTime(16, 45, 51, 700));

QStringList names(const TListeInformationExif &list)
{
    QStringList result;
    for (int i = 0; i < list.Count(); ++i)
        result << list.Items(i).Nom;
    return result;
}

} // namespace

class TestExif : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        QVERIFY(m_dir.isValid());
        QVERIFY2(makeExifJpeg(path(QStringLiteral("exif.jpg"))), "convert and exiftool are needed");
        QVERIFY(makePlainJpeg(path(QStringLiteral("plain.jpg"))));
        QVERIFY(setFileTime(path(QStringLiteral("plain.jpg")), OddTime));
    }

    // --- The list base ---------------------------------------------------------------------

    void listBaseCannotBeCreatedItself()
    {
        try {
            TListe::create<TListe>();
            QFAIL("TListe was created");
        } catch (const LumaroError &e) {
            QCOMPARE(e.message(), QStringLiteral("Impossible d'instancier directement le type TListe."));
        }
        const auto list = TListe::create<TDummyList>();
        QVERIFY(list && list->Count() == 0);
    }

    void baseOperationsReportWhatIsMissing()
    {
        TDummy item;
        TDummyList list;
        QCOMPARE(item.AsString(), QStringLiteral("Fonction TDummy.AsString non implémentée."));
        try {
            item.Copier(item);
            QFAIL("Copier succeeded");
        } catch (const LumaroError &e) {
            QCOMPARE(e.message(), QStringLiteral("Procédure TDummy.Copier(Source: TInfo) non implémentée."));
        }
        try {
            TListe::create<TDummyList>()->APermuter(0, 1);
            QFAIL("APermuter succeeded");
        } catch (const LumaroError &e) {
            QCOMPARE(e.message(),
                     QStringLiteral("Fonction TDummyList.APermuter(Index1, Index2: Word): Boolean non implementée."));
        }
        TCopyable source;
        source.content = QStringLiteral("abc");
        QCOMPARE(TInfo::CreateCopie<TCopyable>(source)->AsString(), QStringLiteral("abc"));
    }

    void keysAndLookupIgnoreCaseAndKeepTheFirst()
    {
        TDummyList list;
        list.AjouterElement(std::make_unique<TInfo>());
        list.AjouterElement(std::make_unique<TDummy>(QStringLiteral("Date taken"), nullptr));
        TInfo &second = list.AjouterElement(std::make_unique<TDummy>(QStringLiteral("x"), nullptr),
                                            QStringLiteral("DATE TAKEN"));
        QCOMPARE(list.Count(), 3);
        QCOMPARE(list.Cle(0), QString()); // a plain TInfo's key is empty
        QCOMPARE(list.Cle(1), QStringLiteral("Date taken"));
        QCOMPARE(list.Chercher(QStringLiteral("date TAKEN")), &list.Items(1));
        QVERIFY(list.Chercher(QStringLiteral("Date")) == nullptr);
        QCOMPARE(list.indexOf(QStringLiteral("x")), -1); // the given key wins over the item's own
        QCOMPARE(&list.Items(2), &second);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.Items(3));
    }

    void theListOwnsAndFreesItsItemsInOrder()
    {
        QStringList freed;
        {
            TDummyList list;
            for (const char *key : {"a", "b", "c"})
                list.AjouterElement(std::make_unique<TDummy>(QString::fromLatin1(key), &freed));
            list.Vider();
            QCOMPARE(freed, (QStringList{"a", "b", "c"}));
            QCOMPARE(list.Count(), 0);
            list.AjouterElement(std::make_unique<TDummy>(QStringLiteral("d"), &freed));
            list.AjouterElement(std::make_unique<TDummy>(QStringLiteral("e"), &freed));
        }
        QCOMPARE(freed, (QStringList{"a", "b", "c", "d", "e"}));
    }

    void savingWritesOneCrLfLinePerItem()
    {
        TDummyList list;
        list.AjouterElement(std::make_unique<TDummy>());
        auto item = std::make_unique<TCopyable>();
        item->content = QStringLiteral("Été");
        list.AjouterElement(std::move(item));
        const QString file = path(QStringLiteral("list.txt"));
        list.saveToFile(file);
        QCOMPARE(readFile(file), QByteArray("Fonction TDummy.AsString non implémentée.\r\nÉté\r\n"));
        // A folder where the file should be: an error, not a silent failure.
        QVERIFY_THROWS_EXCEPTION(LumaroError, list.saveToFile(m_dir.path()));
    }

    // --- Dates and orientation -------------------------------------------------------------

    void dateExif_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QDateTime>("expected"); // invalid: no date (UTC values: no local gap)
        const QDateTime none;
        const QDateTime feb25(QDate(2004, 2, 25), QTime(12, 25), Qt::UTC);
        QTest::newRow("usual") << "2004:02:25 12:25:00" << feb25;
        QTest::newRow("separators not examined") << "2004-02-25 12:25:00" << feb25;
        QTest::newRow("any separators") << "2004x02x25x12x25x00" << feb25;
        QTest::newRow("slashes and a T") << "2004/02/25T12:25:00" << feb25;
        QTest::newRow("digits as separators") << "2004002025112025000" << feb25;
        QTest::newRow("16 characters") << "2004:02:25 12:25" << none;
        QTest::newRow("20 characters") << "2004:02:25 12:25:00 " << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("30 February") << "2004:02:30 12:25:00" << none;
        QTest::newRow("all zeros") << "0000:00:00 00:00:00" << none;
        QTest::newRow("hour 24") << "2004:02:25 24:00:00" << none;
        QTest::newRow("minute 60") << "2004:02:25 12:60:00" << none;
        QTest::newRow("non-digit") << "2004:02:2a 12:25:00" << none;
        QTest::newRow("blank in a field") << "2004:02: 5 12:25:00" << none;
        QTest::newRow("sign in a field") << "2004:+2:25 12:25:00" << none;
        QTest::newRow("sign before the year") << "-004:02:25 12:25:00" << none;
        QTest::newRow("blank in the time") << "2004:02:25 1 :25:00" << none;
        QTest::newRow("last digit missing") << "2004:02:25 12:25:5 " << none;
        QTest::newRow("full-width digits") << QString::fromUtf8("２００４:02:25 12:25:00") << none;
        QTest::newRow("leap day") << "2004:02:29 23:59:59" << QDateTime(QDate(2004, 2, 29), QTime(23, 59, 59), Qt::UTC);
        QTest::newRow("not a leap year") << "2003:02:29 00:00:00" << none;
        QTest::newRow("the no-date value") << "1899:12:29 00:00:00" << none;
        // Earlier dates would be negative values, which the program reads as "no date".
        QTest::newRow("before the epoch") << "1899:12:29 12:00:00" << none;
        QTest::newRow("long before") << "1800:01:01 00:00:00" << none;
        QTest::newRow("epoch") << "1899:12:30 00:00:00" << QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
        // A wall-clock time that does not exist in Paris (clocks went forward): kept as written.
        QTest::newRow("daylight-saving gap") << "2004:03:28 02:30:00" << QDateTime(QDate(2004, 3, 28), QTime(2, 30), Qt::UTC);
    }

    void dateExif()
    {
        QFETCH(QString, value);
        QFETCH(QDateTime, expected);
        const TInformationExif item(0x9003, 2, QStringLiteral("Date taken"), value);
        const double date = item.DateExif();
        if (!expected.isValid()) {
            QCOMPARE(date, -1.0);
            return;
        }
        QCOMPARE(date, ExifDate::compose(expected.date(), expected.time()));
        QCOMPARE(ExifDate::format(date), expected.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")));
    }

    void angleOrientation_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("angle");
        const char *const values[] = {"top-left (1)", "top-right (2)",  "bottom-right (3)", "bottom-left (4)",
                                      "left-top (5)", "right-top (6)", "right-bottom (7)", "left-bottom (8)"};
        const int angles[] = {0, 0, 0, 0, 0, 90, 0, 270};
        for (int i = 0; i < 8; ++i)
            QTest::newRow(values[i]) << QString::fromLatin1(values[i]) << angles[i];
        QTest::newRow("capital R") << "Right-top (6)" << 0;
        QTest::newRow("trailing blank") << "left-bottom (8) " << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void angleOrientation()
    {
        QFETCH(QString, value);
        QFETCH(int, angle);
        TListeInformationExif list;
        list.Ajouter(0x112, 1, QStringLiteral("orientation"), value);
        list.Ajouter(0x112, 1, QStringLiteral("Orientation"), QStringLiteral("right-top (6)"));
        QCOMPARE(AngleOrientation(list), angle); // the first entry of that name decides
    }

    void noOrientationEntryMeansNoRotation()
    {
        TListeInformationExif list;
        list.Ajouter(0x10F, 1, QStringLiteral("Manufacturer"), QStringLiteral("right-top (6)"));
        QCOMPARE(AngleOrientation(list), 0);
        QCOMPARE(ExifReader::orientationText(6), QStringLiteral("right-top (6)"));
        QCOMPARE(ExifReader::orientationText(9), QString());
    }

    void datePhotoFallsBackOnTheFileDate_data()
    {
        QTest::addColumn<QStringList>("entries"); // name, value, name, value...
        QTest::addColumn<bool>("fromExif");
        QTest::newRow("readable") << QStringList{"Date taken", "2004:02:25 12:25:00"} << true;
        QTest::newRow("any case") << QStringList{"DATE TAKEN", "2004:02:25 12:25:00"} << true;
        QTest::newRow("first of two") << QStringList{"Date taken", "2004:02:25 12:25:00", "Date taken", "2005:01:01 00:00:00"}
                                      << true;
        QTest::newRow("impossible") << QStringList{"Date taken", "0000:00:00 00:00:00"} << false;
        QTest::newRow("no-date value") << QStringList{"Date taken", "1899:12:29 00:00:00"} << false;
        QTest::newRow("missing") << QStringList{"Manufacturer", "Probe"} << false;
        QTest::newRow("empty list") << QStringList{} << false;
    }

    void datePhotoFallsBackOnTheFileDate()
    {
        QFETCH(QStringList, entries);
        QFETCH(bool, fromExif);
        TListeInformationExif list;
        for (int i = 0; i + 1 < entries.size(); i += 2)
            list.Ajouter(0, 0, entries.at(i), entries.at(i + 1));
        const double date = DatePhoto(list, path(QStringLiteral("plain.jpg")));
        QCOMPARE(ExifDate::format(date), fromExif ? QStringLiteral("2004:02:25 12:25:00")
                                                  : QStringLiteral("2021:07:03 16:45:50"));
        QCOMPARE(DatePhoto(TListeInformationExif(), path(QStringLiteral("missing.jpg"))), -1.0);
    }

    // --- Reading photos --------------------------------------------------------------------

    void entriesComeInFileOrderWithTheProgramsNames()
    {
        const QString photo = path(QStringLiteral("blobs.jpg"));
        QVERIFY(makeExifJpeg(photo, QStringLiteral("8")));
        addBlobs(photo);
        TListeInformationExif list;
        LireInformationsExif(list, photo, true);
        const QStringList n = names(list);
        // IFD0, then the Exif sub-IFD, the GPS sub-IFD and the thumbnail's IFD, as in the file.
        const QStringList expectedOrder = {"Manufacturer", "Model", "Orientation", "Date taken", "User Comment",
                                           "GPS Latitude", "Compression"};
        qsizetype last = -1;
        for (const QString &name : expectedOrder) {
            const qsizetype at = n.indexOf(name);
            QVERIFY2(at > last, qPrintable(name + QStringLiteral(" out of order in ") + n.join(u'|')));
            last = at;
        }
        const TInformationExif *date = list.Chercher(QStringLiteral("date taken"));
        QVERIFY(date);
        QCOMPARE(date->Valeur, QStringLiteral("2004:02:14 10:30:12"));
        QCOMPARE(date->Tag, 0x9003u);
        QCOMPARE(date->Flag, quint32(ExifReader::IfdPhoto));
        const TInformationExif *orientation = list.Chercher(QStringLiteral("Orientation"));
        QVERIFY(orientation);
        QCOMPARE(orientation->Valeur, QStringLiteral("left-bottom (8)"));
        QCOMPARE(orientation->Flag, quint32(ExifReader::IfdImage));
        QCOMPARE(AngleOrientation(list), 270);
        QCOMPARE(list.Chercher(QStringLiteral("Manufacturer"))->Valeur, QStringLiteral("Probe"));
        QCOMPARE(list.Chercher(QStringLiteral("User Comment"))->Valeur, QStringLiteral("Noël"));
        QVERIFY(list.Chercher(QStringLiteral("Image Description")));
        QCOMPARE(list.Chercher(QStringLiteral("Image Description"))->Valeur, QStringLiteral("Café"));
        QCOMPARE(list.Chercher(QStringLiteral("Compression"))->Flag, quint32(ExifReader::IfdThumbnail));
        QCOMPARE(list.Chercher(QStringLiteral("GPS Latitude"))->Flag, quint32(ExifReader::IfdGps));
        // No maker note, colour profile, thumbnail bytes or links between the IFDs.
        for (int i = 0; i < list.Count(); ++i) {
            const quint32 tag = list.Items(i).Tag;
            QVERIFY2(tag != 0x927C && tag != 0x8773 && tag != 0x0201 && tag != 0x0202 && tag != 0x8769 && tag != 0x8825,
                     qPrintable(list.Items(i).Nom));
            QVERIFY(list.Items(i).Valeur.size() < 200);
        }
        QCOMPARE(ExifDate::format(DatePhoto(list, photo)), QStringLiteral("2004:02:14 10:30:12"));
    }

    void memoryCopyGivesTheSameEntries()
    {
        const QString photo = path(QStringLiteral("exif.jpg"));
        const QByteArray bytes = readFile(photo);
        QVERIFY(ExifReader::hasExif(photo) && ExifReader::hasExif(bytes));
        TListeInformationExif fromFile, fromMemory;
        LireInformationsExif(fromFile, photo, true);
        LireInformationsExif(fromMemory, bytes, photo, true);
        QVERIFY(fromFile.Count() > 10);
        QCOMPARE(exifFileLines(fromMemory), exifFileLines(fromFile));
    }

    // Without EXIF, with reading off, or with EXIF that cannot be read: one entry from the file date.
    void fileDateEntryStandsIn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readExif");
        QTest::newRow("no EXIF") << "plain" << true;
        QTest::newRow("reading off") << "exif" << false;
        QTest::newRow("damaged EXIF") << "damaged" << true;
        QTest::newRow("truncated in the EXIF") << "truncated" << true;
        QTest::newRow("zero bytes") << "empty" << true;
        QTest::newRow("not a JPEG") << "text" << true;
    }

    void fileDateEntryStandsIn()
    {
        QFETCH(QString, kind);
        QFETCH(bool, readExif);
        const QString photo = path(QStringLiteral("standin.jpg"));
        QFile::remove(photo);
        const QByteArray exifBytes = readFile(path(QStringLiteral("exif.jpg")));
        if (kind == QLatin1String("plain")) {
            QVERIFY(QFile::copy(path(QStringLiteral("plain.jpg")), photo));
        } else if (kind == QLatin1String("exif")) {
            QVERIFY(QFile::copy(path(QStringLiteral("exif.jpg")), photo));
        } else if (kind == QLatin1String("damaged")) {
            QByteArray bytes = exifBytes;
            const qsizetype tiff = bytes.indexOf("Exif") + 6;
            bytes.replace(tiff, 8, QByteArray(8, '\xFF')); // byte order and first IFD offset
            QVERIFY(writeFile(photo, bytes));
        } else if (kind == QLatin1String("truncated")) {
            QVERIFY(writeFile(photo, exifBytes.left(exifBytes.indexOf("Exif") + 40)));
        } else if (kind == QLatin1String("empty")) {
            QVERIFY(writeFile(photo, QByteArray()));
        } else {
            QVERIFY(writeFile(photo, "Date taken=2004:02:14 10:30:12\r\n"));
        }
        QVERIFY(setFileTime(photo, OddTime));
        TListeInformationExif list;
        list.Ajouter(1, 1, QStringLiteral("left over"), QStringLiteral("from the last photo"));
        LireInformationsExif(list, photo, readExif);
        QCOMPARE(list.Count(), 1);
        QCOMPARE(list.Items(0).Nom, QStringLiteral("Date taken"));
        QCOMPARE(list.Items(0).Tag, 0u);
        QCOMPARE(list.Items(0).Flag, 0u);
        QCOMPARE(list.Items(0).Valeur, QStringLiteral("2021:07:03 16:45:50")); // even second
        QCOMPARE(DatePhoto(list, photo), ExifDate::compose(QDate(2021, 7, 3), QTime(16, 45, 50)));
        QCOMPARE(AngleOrientation(list), 0);
        QVERIFY(ExifReader::readEntries(readFile(photo)).isEmpty() || !readExif);
    }

    void hasExifLooksOnlyAtTheHeaders()
    {
        QVERIFY(!ExifReader::hasExif(path(QStringLiteral("plain.jpg"))));
        QVERIFY(!ExifReader::hasExif(path(QStringLiteral("missing.jpg"))));
        QVERIFY(!ExifReader::hasExif(QByteArray("\xFF\xD8\xFF")));
        QVERIFY(!ExifReader::hasExif(QByteArray("\xFF\xD8\xFF\xE1\x00\x02")));
        // An EXIF block after a comment segment still counts; one after the picture data does not.
        QVERIFY(ExifReader::hasExif(QByteArray("\xFF\xD8\xFF\xFE\x00\x04" "ab\xFF\xE1\x00\x08" "Exif\x00\x00", 18)));
        QVERIFY(!ExifReader::hasExif(QByteArray("\xFF\xD8\xFF\xDA\x00\x02\xFF\xE1\x00\x08" "Exif\x00\x00", 16)));
        QString error;
        QVERIFY(ExifReader::readEntries(path(QStringLiteral("missing.jpg")), &error).isEmpty());
        QCOMPARE(error, QStringLiteral("Fichier introuvable"));
    }

    // --- The EXIF text file ----------------------------------------------------------------

    void exifTextFileBytes()
    {
        TListeInformationExif list;
        list.Ajouter(0x10F, 1, QStringLiteral("Manufacturer"), QStringLiteral("Probé "));
        list.Ajouter(0x9286, 2, QStringLiteral("User Comment"), QStringLiteral("two\r\nlines"));
        list.Ajouter(0, 0, QStringLiteral("Empty"), QString());
        const QString photo = path(QStringLiteral("out/Noel 1.JPG"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("out"))));
        QVERIFY(writeFile(path(QStringLiteral("out/Noel 1.txt")), "an older and much longer file\r\n\r\n\r\n"));
        writeExifFile(list, photo);
        QCOMPARE(readFile(path(QStringLiteral("out/Noel 1.txt"))),
                 QByteArray("Manufacturer=Probé \r\nUser Comment=two\r\nlines\r\nEmpty=\r\n"));
        TListeInformationExif empty;
        QCOMPARE(exifFileContent(empty), QByteArray());
        try {
            writeExifFile(list, path(QStringLiteral("no such folder/x.JPG")));
            QFAIL("wrote into a missing folder");
        } catch (const LumaroError &e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Erreur pendant l'écriture du fichier ")));
        }
    }

    void exifTextFileName_data()
    {
        QTest::addColumn<QString>("photo");
        QTest::addColumn<QString>("text");
        QTest::newRow("usual") << "/d/Photos/2004-02-14 - Noel 1.JPG" << "/d/Photos/2004-02-14 - Noel 1.txt";
        QTest::newRow("jpeg") << "/d/a.b.jpeg" << "/d/a.b.txt";
        QTest::newRow("dot in the folder only") << "/d/v1.2/photo" << "/d/v1.2/photo.txt";
    }

    void exifTextFileName()
    {
        QFETCH(QString, photo);
        QFETCH(QString, text);
        QCOMPARE(exifFileName(photo), text);
    }

    // --- Command line ----------------------------------------------------------------------

    void cliExifPrintsTheTextFile()
    {
        const QString photo = path(QStringLiteral("exif.jpg"));
        TListeInformationExif list;
        LireInformationsExif(list, photo, true);
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("exif"), photo}, &out, &err), 0);
        QCOMPARE(out.toUtf8(), exifFileContent(list));
        QVERIFY(out.contains(QStringLiteral("Date taken=2004:02:14 10:30:12\r\n")));
        QCOMPARE(TestSupport::runCli({QStringLiteral("exif"), path(QStringLiteral("plain.jpg"))}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("Date taken=2021:07:03 16:45:50\r\n"));
        QCOMPARE(TestSupport::runCli({QStringLiteral("exif"), QStringLiteral("--no-exif"), photo}, &out, &err), 0);
        QVERIFY(out.startsWith(QStringLiteral("Date taken=")) && out.count(u'\n') == 1);
    }

    void cliDatePrintsDateAndAngle()
    {
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("date"), path(QStringLiteral("exif.jpg"))}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("2004:02:14 10:30:12\t90\n"));
        QCOMPARE(TestSupport::runCli({QStringLiteral("date"), path(QStringLiteral("plain.jpg"))}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("2021:07:03 16:45:50\t0\n"));
    }

    void cliErrorsAreFrenchWithTheirExitCode_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("exitCode"); // 1: the work failed; 2: the command line is wrong
        QTest::newRow("missing photo") << QStringList{"date", "/no/such/photo.jpg"} << "Erreur : Fichier introuvable" << 1;
        QTest::newRow("folder") << QStringList{"exif", "/"} << "Erreur : Ce n'est pas un fichier" << 1;
        QTest::newRow("no photo") << QStringList{"exif"} << "Erreur : Utilisation" << 2;
        QTest::newRow("unknown option") << QStringList{"date", "--fast", "x.jpg"} << "Erreur : Option inconnue" << 2;
        QTest::newRow("unknown command") << QStringList{"dates", "x.jpg"} << "Commande inconnue : dates" << 2;
        QTest::newRow("no command") << QStringList{} << "Utilisation : lumaro-cli COMMANDE" << 2;
        QTest::newRow("extra argument") << QStringList{"date", "a.jpg", "b.jpg"} << "Erreur : Utilisation : lumaro-cli date [options] PHOTO" << 2;
        QTest::newRow("flag given a value") << QStringList{"exif", "--no-exif=1", "a.jpg"}
                                            << "Erreur : L'option --no-exif ne prend pas de valeur." << 2;
    }

    void cliErrorsAreFrenchWithTheirExitCode()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFETCH(int, exitCode);
        QString out, err;
        QCOMPARE(TestSupport::runCli(args, &out, &err), exitCode);
        QVERIFY2(err.startsWith(message), qPrintable(err));
        QCOMPARE(out, QString());
    }

    void cliAnswersHelpAndVersionOnStandardOutput()
    {
        QString out, err;
        QCOMPARE(TestSupport::runCli({QStringLiteral("--version")}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("lumaro-cli %1\n").arg(ProgramVersion()));
        QCOMPARE(TestSupport::runCli({QStringLiteral("--help")}, &out, &err), 0);
        QVERIFY(out.startsWith(QStringLiteral("Utilisation : lumaro-cli COMMANDE")));
        QVERIFY(out.contains(QStringLiteral("check-version")));
        QCOMPARE(err, QString());

        // Each command describes its own options, whatever else the line holds.
        for (const char *command : {"settings", "exif", "date", "name", "search", "demo-card", "rotate", "lowq",
                                    "transfer", "batch", "check-version"}) {
            QCOMPARE(TestSupport::runCli({QString::fromLatin1(command), QStringLiteral("--help")}, &out, &err), 0);
            QVERIFY2(out.startsWith(QStringLiteral("Utilisation : lumaro-cli %1 [options]").arg(QLatin1String(command))),
                     qPrintable(out));
            QVERIFY(out.contains(QStringLiteral("--settings-dir DOSSIER")));
        }
        QCOMPARE(TestSupport::runCli({QStringLiteral("batch"), QStringLiteral("x"), QStringLiteral("-h")}, &out, &err), 0);
        QVERIFY(out.contains(QStringLiteral("--low-only")));
    }
};

QTEST_GUILESS_MAIN(TestExif)
#include "tst_exif.moc"
