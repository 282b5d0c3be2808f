// The naming masks: every tag, the order of replacement, widths, free names and the name command.
#include "core/exif/exifdate.h"
#include "core/naming/namemask.h"
#include "core/settings/paramappli.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

const QDate Feb14(2004, 2, 14);
const QTime At1030(10, 30, 12);
const QString CardPhoto = QStringLiteral("E:\\DCIM\\100CANON\\IMG_0007.JPG");

bool touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

} // namespace

class TestNameMask : public QObject {
    Q_OBJECT
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_work;
    QString m_dest; // a fresh destination folder per test, with its "/"
    std::unique_ptr<TParamAppli> m_param;

    QString name(const QString &theme = QStringLiteral("Noel"), const QString &photo = CardPhoto, int counter = 5,
                 bool low = false, double date = ExifDate::compose(Feb14, At1030))
    {
        return CalculerNomPhoto(*m_param, theme, photo, m_dest, date, low, counter);
    }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        QVERIFY(m_settingsDir.isValid() && m_work.isValid());
    }

    void init()
    {
        static int n = 0;
        m_dest = m_work.filePath(QStringLiteral("Photos%1/").arg(++n));
        m_param = std::make_unique<TParamAppli>(m_settingsDir.filePath(QStringLiteral("none.ini")));
    }

    // The examples and the edge cases of the masks, for a destination where no file exists yet.
    void expand_data()
    {
        QTest::addColumn<QString>("nameMask");
        QTest::addColumn<QString>("folderMask"); // null: specific folders off
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("photo");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("low");
        QTest::addColumn<QString>("expected"); // under the destination

        const QString off;
        auto row = [&](const char *title, const QString &mask, const QString &folder, const QString &expected,
                       const QString &theme = QStringLiteral("Noel"), int counter = 5, const QDate &date = Feb14,
                       bool low = false, const QString &photo = CardPhoto) {
            QTest::newRow(title) << mask << folder << theme << photo << counter << date << low << expected;
        };
        // The four examples, and the first one for the low-quality copy.
        row("default mask", "#AAAA-#M-#J - #THEME #N", off, "2004-02-14 - Noel 1.JPG");
        row("counter and folders", "#THEME #CPT3", "#AAAA\\#MMM", "2004/Février/Noel 005.JPG");
        row("source name", "#ORIG", "#AA", "04/IMG_0007.JPG");
        row("names of day and month", "#JJJ #J #MMM #AAAA #HHh#MI #N2", off, "Samedi 14 Février 2004 10h30 01.JPG");
        row("low quality", "#AAAA-#M-#J - #THEME #N", off, "Basse Resolution/2004-02-14 - Noel 1 Low.JPG", "Noel", 5,
            Feb14, true);
        // Edge cases.
        row("no tag", "Vacances", off, "Vacances.JPG");
        row("#CPT0 is not a width", "#CPT0", off, "50.JPG");
        row("only the first width", "#CPT3 #CPT2", off, "007 0072.JPG", "Noel", 7);
        row("#AAA", "#AAA", off, "04A.JPG");
        row("#MIN", "#MIN", off, "30N.JPG");
        row("theme holding #N", "#THEME", off, "x1.JPG", "x#N");
        row("theme beginning with #n", "#THEME", off, "1uit.JPG", "#nuit");
        row("theme holding a number width", "#THEME", off, "x001.JPG", "x#N3");
        row("empty theme as folder", "#ORIG", "#THEME", "IMG_0007.JPG", "");
        row("#HH stays in a folder", "#ORIG", "#HH", "#HH/IMG_0007.JPG");
        row("the folder keeps #N and #CPT", "#ORIG", "#N #CPT #ORIG", "#N #CPT #ORIG/IMG_0007.JPG");
        row("a counter is never cut", "#CPT2", off, "123.JPG", "Noel", 123);
        row("day and month on two digits", "#J-#M", off, "01-03.JPG", "Noel", 5, QDate(2004, 3, 1));
        row("theme keeps an earlier tag", "#THEME", off, "#J.JPG", "#J");
        row("theme gets a later tag", "#THEME", off, "5.JPG", "#CPT");
        row("theme holding its own tag", "#THEME #THEME", off, "#theme #theme.JPG", "#theme");
        row("source holding its own tag", "#ORIG", off, "a#ORIGb.JPG", "Noel", 5, Feb14, false, "/card/a#ORIGb.jpeg");
        row("lower-case tags", "#aaaa-#m-#j #Theme #cpt3", off, "2004-02-14 Noel 005.JPG");
        row("short names", "#JJ #MM", off, "Sam. Févr..JPG");
        row("time", "#HH-#MI-#SS", off, "10-30-12.JPG");
        row("folder mask ignored when off", "#ORIG", off, "IMG_0007.JPG");
        row("backslash in the mask", "#AAAA\\#THEME", off, "2004/Noel.JPG");
        row("slash in the theme", "#THEME", off, "a/b.JPG", "a/b");
        row("backslash in the theme", "#THEME", "#THEME", "a/b/a/b.JPG", "a\\b");
        row("blanks trimmed off the folder", "#ORIG", "  #AAAA", "2004/IMG_0007.JPG");
        row("source without extension", "#ORIG", off, "IMG_0007.JPG", "Noel", 5, Feb14, false, "/card/IMG_0007");
        row("last dot only", "#ORIG", off, "a.b.JPG", "Noel", 5, Feb14, false, "/card/a.b.c");
        row("two-digit year padded", "#AAAA #AA", off, "2009 09.JPG", "Noel", 5, QDate(2009, 6, 1));
        row("no-tag name, low quality", "Vacances", off, "Basse Resolution/Vacances Low.JPG", "Noel", 5, Feb14, true);
        row("number in a low folder", "#ORIG #N", "#AAAA", "2004/Basse Resolution/IMG_0007 1 Low.JPG", "Noel", 5,
            Feb14, true);
    }

    void expand()
    {
        QFETCH(QString, nameMask);
        QFETCH(QString, folderMask);
        QFETCH(QString, theme);
        QFETCH(QString, photo);
        QFETCH(int, counter);
        QFETCH(QDate, date);
        QFETCH(bool, low);
        QFETCH(QString, expected);
        m_param->MasqueNomPhoto = nameMask;
        m_param->RepertoireSpecif = !folderMask.isNull();
        m_param->MasqueRepertoire = folderMask.isNull() ? QStringLiteral("#AAAA-ignored") : folderMask;
        const double when = ExifDate::compose(date, At1030);
        QCOMPARE(name(theme, photo, counter, low, when), m_dest + expected);
        if (low)
            QCOMPARE(CalculerNomBasseQualite(*m_param, theme, photo, m_dest, when, counter), m_dest + expected);
    }

    void sameNameGetsAnEnding()
    {
        m_param->MasqueNomPhoto = QStringLiteral("#ORIG");
        m_param->RepertoireSpecif = true;
        m_param->MasqueRepertoire = QStringLiteral("#AA");
        const QString first = name();
        QCOMPARE(first, m_dest + QStringLiteral("04/IMG_0007.JPG"));
        QVERIFY(touch(first));
        const QString second = name();
        QCOMPARE(second, m_dest + QStringLiteral("04/IMG_0007 - 1.JPG"));
        QVERIFY(touch(second));
        QCOMPARE(name(), m_dest + QStringLiteral("04/IMG_0007 - 2.JPG"));
        // The low-quality copies are numbered among themselves.
        QCOMPARE(name(QStringLiteral("Noel"), CardPhoto, 5, true), m_dest + QStringLiteral("04/Basse Resolution/IMG_0007 Low.JPG"));
        QVERIFY(touch(m_dest + QStringLiteral("04/Basse Resolution/IMG_0007 Low.JPG")));
        QCOMPARE(name(QStringLiteral("Noel"), CardPhoto, 5, true), m_dest + QStringLiteral("04/Basse Resolution/IMG_0007 - 1 Low.JPG"));
    }

    void numberTakesTheSmallestFreeOne()
    {
        m_param->MasqueNomPhoto = QStringLiteral("#THEME #N2 (#n)");
        QVERIFY(touch(m_dest + QStringLiteral("Noel 01 (01).JPG")));
        QVERIFY(touch(m_dest + QStringLiteral("Noel 03 (03).JPG")));
        QCOMPARE(name(), m_dest + QStringLiteral("Noel 02 (02).JPG"));
        QVERIFY(touch(m_dest + QStringLiteral("Noel 02 (02).JPG")));
        QCOMPARE(name(), m_dest + QStringLiteral("Noel 04 (04).JPG"));
        // Taken by a folder or a dangling link counts too: writing there would fail or go astray.
        QVERIFY(QDir().mkpath(m_dest + QStringLiteral("Noel 04 (04).JPG")));
        QVERIFY(QFile::link(m_dest + QStringLiteral("nowhere"), m_dest + QStringLiteral("Noel 05 (05).JPG")));
        QCOMPARE(name(), m_dest + QStringLiteral("Noel 06 (06).JPG"));
        // The full-size photos do not count for the low-quality name.
        QCOMPARE(name(QStringLiteral("Noel"), CardPhoto, 5, true),
                 m_dest + QStringLiteral("Basse Resolution/Noel 01 (01) Low.JPG"));
    }

    // A name promised to a photo still being written counts as taken; once released it is
    // free again. A name like a promised one but for its letter case is not taken: only the
    // disk can tell whether it is the same file.
    void promisedNamesAreTaken()
    {
        m_param->MasqueNomPhoto = QStringLiteral("#THEME #N2");
        const double date = ExifDate::compose(Feb14, At1030);
        PromisedNames promised;
        const QString first = m_dest + QStringLiteral("Noel 01.JPG");
        promised.promise({first, m_dest + QStringLiteral("Noel 02.CR2")});
        const auto named = [&](const QStringList &members) {
            return shotName(*m_param, QStringLiteral("Noel"), members, m_dest, date, 1, QLocale(), &promised);
        };
        // The RAW of a shot in flight takes its name from any other shot, a JPEG alone too;
        // the documented naming looks at JPEG names only.
        QCOMPARE(named({CardPhoto}), m_dest + QStringLiteral("Noel 03.JPG"));
        QCOMPARE(named({CardPhoto, QStringLiteral("/card/IMG_0007.CR2")}), m_dest + QStringLiteral("Noel 03.JPG"));
        QCOMPARE(CalculerNomPhoto(*m_param, QStringLiteral("Noel"), CardPhoto, m_dest, date, false, 1, QLocale(), &promised),
                 m_dest + QStringLiteral("Noel 02.JPG"));
        QVERIFY(promised.contains(m_dest + QStringLiteral("./Noel 01.JPG")));
        QVERIFY(!promised.contains(m_dest + QStringLiteral("noel 01.JPG")));
        QVERIFY(promised.differsInCaseOnly(m_dest + QStringLiteral("noel 01.JPG")));
        QVERIFY(!promised.differsInCaseOnly(first));
        promised.release({first});
        QVERIFY(!promised.differsInCaseOnly(m_dest + QStringLiteral("noel 01.JPG")));
        QCOMPARE(named({CardPhoto}), m_dest + QStringLiteral("Noel 01.JPG"));
    }

    void lowQualitySettings_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("trailing slash") << "Petites/" << "Low" << "Petites/Noel Low.JPG";
        QTest::newRow("trailing backslash") << "Petites\\" << "Low" << "Petites/Noel Low.JPG";
        QTest::newRow("nested") << "a\\b" << "-p" << "a/b/Noel -p.JPG";
        QTest::newRow("empty suffix") << "Basse Resolution" << "" << "Basse Resolution/Noel .JPG";
    }

    void lowQualitySettings()
    {
        QFETCH(QString, folder);
        QFETCH(QString, suffix);
        QFETCH(QString, expected);
        m_param->MasqueNomPhoto = QStringLiteral("#THEME");
        m_param->Repertoire = folder;
        m_param->Suffixe = suffix;
        QCOMPARE(name(QStringLiteral("Noel"), CardPhoto, 5, true), m_dest + expected);
    }

    void destinationAndLocale()
    {
        m_param->MasqueNomPhoto = QStringLiteral("#JJJ #MMM");
        const double date = ExifDate::compose(Feb14, At1030);
        const QString bare = m_dest.chopped(1);
        QCOMPARE(CalculerNomPhoto(*m_param, QString(), CardPhoto, bare, date, false, 1),
                 m_dest + QStringLiteral("Samedi Février.JPG"));
        QCOMPARE(CalculerNomPhoto(*m_param, QString(), CardPhoto, m_dest, date, false, 1, QLocale(QLocale::English)),
                 m_dest + QStringLiteral("Saturday February.JPG"));
        // Only a to z is upper-cased: a name that begins with another letter stays as the locale writes it.
        QCOMPARE(CalculerNomPhoto(*m_param, QString(), CardPhoto, m_dest, date, false, 1, QLocale(QLocale::Russian)).left(m_dest.size() + 1),
                 m_dest + QStringLiteral("с"));
    }

    void replacementOrder_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("expected");
        QTest::newRow("every occurrence") << "#A-#a-#A" << QStringList{"#A"} << QStringList{"x"} << "x-x-x";
        QTest::newRow("later tags see earlier values") << "#A" << QStringList{"#A", "#B"} << QStringList{"#B", "y"} << "y";
        QTest::newRow("earlier tags do not see later values") << "#B" << QStringList{"#A", "#B"} << QStringList{"y", "#A"} << "#A";
        QTest::newRow("own tag in the value") << "#A#A" << QStringList{"#A"} << QStringList{"[#a]"} << "[#a][#a]";
        QTest::newRow("case of a-z only") << "#É #é" << QStringList{"#É"} << QStringList{"x"} << "x #é";
        QTest::newRow("empty tag ignored") << "abc" << QStringList{""} << QStringList{"x"} << "abc";
    }

    void replacementOrder()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, tags);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        QCOMPARE(RemplacerTags(text, tags, values), expected);
    }

    // --- Command line ----------------------------------------------------------------------

    void cliName_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected"); // under the destination
        QTest::newRow("given date") << QStringList{"--theme", "Noel", "--date", "2004:02:14 10:30:12", "--counter", "5"}
                                    << "2004/Noel 005.JPG";
        QTest::newRow("low quality") << QStringList{"--low", "--theme", "Noel", "--date", "2004:02:14 10:30:12"}
                                     << "2004/Basse Resolution/Noel 001 Low.JPG";
        QTest::newRow("date of the photo") << QStringList{"--counter", "12"} << "2021/ 012.JPG";
    }

    void cliName()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        TParamAppli settings(m_settingsDir.filePath(QStringLiteral("Lumaro.ini")));
        settings.MasqueNomPhoto = QStringLiteral("#THEME #CPT3");
        settings.RepertoireSpecif = true;
        settings.MasqueRepertoire = QStringLiteral("#AAAA");
        settings.EcrireParametres();
        const QString photo = m_work.filePath(QStringLiteral("card.jpg"));
        QVERIFY(touch(photo));
        {
            QFile f(photo);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime(QDate(2021, 7, 3), QTime(16, 45, 51)), QFileDevice::FileModificationTime));
        }
        QString out, err;
        const QStringList all = QStringList{QStringLiteral("name"), QStringLiteral("--settings-dir"), m_settingsDir.path()}
                                + args + QStringList{photo, m_dest};
        QCOMPARE(TestSupport::runCli(all, &out, &err), 0);
        QCOMPARE(out, m_dest + expected + u'\n');
    }

    void cliNameErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("exitCode"); // 2: the command line itself is wrong
        QTest::newRow("impossible date") << QStringList{"name", "--date", "2004:02:30 10:30:12", "p.jpg", "/d"} << "Date invalide" << 2;
        QTest::newRow("counter") << QStringList{"name", "--counter", "cinq", "p.jpg", "/d"} << "Compteur invalide" << 2;
        QTest::newRow("missing photo") << QStringList{"name", "/no/such.jpg", "/d"} << "Fichier introuvable" << 1;
        QTest::newRow("one argument") << QStringList{"name", "p.jpg"} << "Utilisation" << 2;
        QTest::newRow("option without value") << QStringList{"name", "p.jpg", "/d", "--theme"} << "attend une valeur" << 2;
    }

    void cliNameErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QFETCH(int, exitCode);
        QString out, err;
        const QStringList line = args.mid(0, 1) + QStringList{QStringLiteral("--settings-dir"), m_settingsDir.path()} + args.mid(1);
        QCOMPARE(TestSupport::runCli(line, &out, &err), exitCode);
        QVERIFY2(err.startsWith(QStringLiteral("Erreur : ")) && err.contains(message), qPrintable(err));
        QCOMPARE(out, QString());
    }
};

QTEST_GUILESS_MAIN(TestNameMask)
#include "tst_namemask.moc"
