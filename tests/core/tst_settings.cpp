// The settings store and the profile-file rules it relies on.
#include "core/error.h"
#include "core/settings/paramappli.h"
#include "core/files/filename.h"
#include "core/files/paths.h"
#include "core/settings/profilefile.h"
#include "core/settings/settingschange.h"
#include "core/files/textfile.h"
#include "tests/testsupport.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString ini() const { return m_dir.filePath(QStringLiteral("Lumaro.ini")); }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void cleanup() { QFile::remove(ini()); }

    void missingFileGivesEveryDefault()
    {
        TParamAppli p(ini());
        QCOMPARE(p.LecteurCarte, Paths::defaultCardReader());
        QVERIFY(p.LecteurCarte.startsWith(QLatin1String("/media/")) && p.LecteurCarte.endsWith(u'/'));
        QCOMPARE(p.RepertoirePhoto, QString());
        QCOMPARE(p.MasqueNomPhoto, QStringLiteral("#AAAA-#M-#J - #THEME #N"));
        QVERIFY(!p.RotationAuto && !p.ExportInfoExif && !p.RepertoireSpecif && !p.SupprimerPhoto);
        QVERIFY(p.MiniatureBatch());
        QCOMPARE(p.Qualite, 40);
        QCOMPARE(p.Suffixe, QStringLiteral("Low"));
        QCOMPARE(p.Repertoire, QStringLiteral("Basse Resolution"));
        QVERIFY(!p.ActiverLowQ && !p.Redimensionner && p.GarderInfoEXIF && !p.GarderInfoDateEXIF);
        QVERIFY(p.Executer && p.ActiverDiaporama && !p.AfficherNom && !p.Boucler && p.CacherCurseur);
        QCOMPARE(p.Tempo, 5);
        QVERIFY(p.GestionEXIF);
        QVERIFY(!p.EjecterCarte); // a card is ejected only when asked
        QVERIFY(!p.AutresFormats);
        QCOMPARE(p.describe().size(), 29);
        QVERIFY(!QFile::exists(ini()));
    }

    void firstSaveWritesKeysInTableOrder()
    {
        TParamAppli p(ini());
        p.RepertoirePhoto.clear();
        p.EcrireParametres();
        const QByteArray bytes = readFile(ini());
        QVERIFY(bytes.contains("\r\n"));
        QVERIFY(!bytes.contains("GestionEXIF"));
        QStringList keys;
        QStringList sections;
        for (const QString &line : TextFile::splitLines(QString::fromUtf8(bytes))) {
            if (line.startsWith(u'['))
                sections << line;
            else if (line.contains(u'='))
                keys << line.section(u'=', 0, 0);
        }
        QCOMPARE(sections, (QStringList{"[General]", "[ImagesLowQ]", "[Diaporama]"}));
        QCOMPARE(keys.size(), 28);
        QCOMPARE(keys.first(), QStringLiteral("LecteurCarte"));
        QCOMPARE(keys.at(8), QStringLiteral("MiniatureBatch"));
        QCOMPARE(keys.at(12), QStringLiteral("EjecterCarte"));
        QCOMPARE(keys.at(13), QStringLiteral("AutresFormats"));
        QCOMPARE(keys.at(14), QStringLiteral("Qualite"));
        QVERIFY(bytes.contains("EjecterCarte=0\r\n"));
        QCOMPARE(keys.last(), QStringLiteral("CacherCurseur"));
        QVERIFY(bytes.contains("RepertoirePhoto=/\r\n"));
        // What was written reads back the same.
        TParamAppli again(ini());
        QCOMPARE(again.describe(), p.describe());
    }

    void valuesFollowTheProfileRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // a line of describe()
        QTest::newRow("hex 0x") << QByteArray("[General]\r\nModeAffichagePP=0x2\r\n") << "General/ModeAffichagePP=2";
        QTest::newRow("hex $") << QByteArray("[General]\nModeAffichagePP=$1F\n") << "General/ModeAffichagePP=31";
        QTest::newRow("not a number") << QByteArray("[Diaporama]\r\nTempo=abc\r\n") << "Diaporama/Tempo=5";
        QTest::newRow("negative") << QByteArray("[Diaporama]\r\nTempo=-3\r\n") << "Diaporama/Tempo=-3";
        QTest::newRow("out of range kept") << QByteArray("[ImagesLowQ]\r\nQualite=250\r\n") << "ImagesLowQ/Qualite=250";
        QTest::newRow("overflow") << QByteArray("[ImagesLowQ]\r\nQualite=99999999999\r\n") << "ImagesLowQ/Qualite=40";
        QTest::newRow("bool 1") << QByteArray("[General]\r\nRotationAuto=1\r\n") << "General/RotationAuto=1";
        QTest::newRow("bool 256") << QByteArray("[General]\r\nRotationAuto=256\r\n") << "General/RotationAuto=0";
        QTest::newRow("bool 257") << QByteArray("[General]\r\nRotationAuto=257\r\n") << "General/RotationAuto=1";
        QTest::newRow("bool true") << QByteArray("[General]\r\nRotationAuto=true\r\n") << "General/RotationAuto=0";
        QTest::newRow("bool word keeps true default") << QByteArray("[Diaporama]\r\nExecuter=false\r\n") << "Diaporama/Executer=1";
        QTest::newRow("drive gets separator") << QByteArray("[General]\r\nLecteurCarte=E:\r\n") << "General/LecteurCarte=E:/";
        QTest::newRow("blanks and quotes") << QByteArray("[general]\r\n  masquenomphoto =  \" #AAAA #N \"  \r\n")
                                           << "General/MasqueNomPhoto= #AAAA #N ";
        QTest::newRow("windows-1252") << QByteArray("[ImagesLowQ]\r\nRepertoire=R\xe9" "duites\r\n")
                                      << QString::fromUtf8("ImagesLowQ/Repertoire=Réduites");
        QTest::newRow("same key in other section") << QByteArray("[Diaporama]\r\nActiver=0\r\n[ImagesLowQ]\r\nActiver=1\r\n")
                                                   << "Diaporama/Activer=0";
        QTest::newRow("other formats read") << QByteArray("[General]\r\nAutresFormats=1\r\n") << "General/AutresFormats=1";
        QTest::newRow("gestion exif read") << QByteArray("[General]\r\nGestionEXIF=0\r\n") << "General/GestionEXIF=0";
    }
    void valuesFollowTheProfileRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QVERIFY(writeFile(ini(), content));
        TParamAppli p(ini());
        QVERIFY2(p.describe().contains(expected), qPrintable(p.describe().join(u'\n')));
    }

    void longValuesAreCut()
    {
        QVERIFY(writeFile(ini(), "[General]\r\nMasqueRepertoire=" + QByteArray(3000, 'x') + "\r\n"));
        TParamAppli p(ini());
        QCOMPARE(p.MasqueRepertoire.size(), 2047);
    }

    void savingKeepsForeignKeysAndReplacesInPlace()
    {
        QVERIFY(writeFile(ini(), "; mine\r\n[Perso]\r\nA=1\r\n\r\n[General]\r\nGestionEXIF=0\r\nTempo=9\r\nRotationAuto=1\r\nAutre=x\r\n\r\n[Diaporama]\r\nTempo=7\r\n"));
        TParamAppli p(ini());
        QVERIFY(!p.GestionEXIF);
        QCOMPARE(p.Tempo, 7);
        p.RotationAuto = false;
        p.EcrireParametres();
        p.EcrireParametres();
        const QStringList lines = TextFile::splitLines(QString::fromUtf8(readFile(ini())));
        QCOMPARE(lines.mid(0, 3), (QStringList{"; mine", "[Perso]", "A=1"}));
        // Replaced where it stood, foreign keys untouched, new keys after the section's last key.
        const qsizetype general = lines.indexOf(QStringLiteral("[General]"));
        QCOMPARE(lines.at(general + 1), QStringLiteral("GestionEXIF=0"));
        QCOMPARE(lines.at(general + 2), QStringLiteral("Tempo=9"));
        QCOMPARE(lines.at(general + 3), QStringLiteral("RotationAuto=0"));
        QCOMPARE(lines.at(general + 4), QStringLiteral("Autre=x"));
        QCOMPARE(lines.at(general + 5), QStringLiteral("LecteurCarte=") + p.LecteurCarte);
        QCOMPARE(lines.count(QStringLiteral("RotationAuto=0")), 1);
        const qsizetype slideshow = lines.indexOf(QStringLiteral("[Diaporama]"));
        QCOMPARE(lines.at(slideshow + 1), QStringLiteral("Tempo=7"));
        QVERIFY(lines.indexOf(QStringLiteral("[ImagesLowQ]")) > slideshow);
        TParamAppli again(ini());
        QVERIFY(!again.GestionEXIF);
    }

    void miniatureBatchIsWrittenAtOnce()
    {
        TParamAppli p(ini());
        p.setMiniatureBatch(false);
        QCOMPARE(readFile(ini()), QByteArray("[General]\r\nMiniatureBatch=0\r\n"));
        QVERIFY(!TParamAppli(ini()).MiniatureBatch());
        // A later full save keeps it first, where it was written.
        p.EcrireParametres();
        QVERIFY(readFile(ini()).startsWith("[General]\r\nMiniatureBatch=0\r\nLecteurCarte="));
    }

    // A settings file that an editor saved as UTF-16 reads as such, and the next save writes
    // it back in the program's own form (UTF-8, CR LF), every key in its place.
    void utf16FileIsReadAndRewritten_data()
    {
        QTest::addColumn<bool>("littleEndian");
        QTest::newRow("UTF-16 LE") << true;
        QTest::newRow("UTF-16 BE") << false;
    }
    void utf16FileIsReadAndRewritten()
    {
        QFETCH(bool, littleEndian);
        const QString text = QStringLiteral("[General]\r\nMasqueNomPhoto=#THEME Noël #N\r\nRotationAuto=1\r\n"
                                            "[Diaporama]\r\nTempo=9\r\n");
        QByteArray bytes = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (QChar c : text) {
            const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
            bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
        }
        QVERIFY(writeFile(ini(), bytes));
        TParamAppli p(ini());
        QCOMPARE(p.MasqueNomPhoto, QStringLiteral("#THEME Noël #N"));
        QVERIFY(p.RotationAuto);
        QCOMPARE(p.Tempo, 9);
        p.EcrireParametres();
        const QByteArray saved = readFile(ini());
        QVERIFY(!saved.contains('\0'));
        QVERIFY(saved.startsWith("[General]\r\nMasqueNomPhoto=#THEME No\xC3\xABl #N\r\nRotationAuto=1\r\n"));
        QVERIFY(saved.contains("[Diaporama]\r\nTempo=9\r\n"));
        QCOMPARE(TParamAppli(ini()).MasqueNomPhoto, QStringLiteral("#THEME Noël #N"));
    }

    // Windows-1252 as the settings files of the old platform hold it: the 27 letters and signs
    // of 0x80..0x9F, the five bytes it leaves unassigned read as the C1 control of that code,
    // and every other byte as the Latin-1 character of that number.
    void windows1252ReadsEveryByte()
    {
        const char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        QByteArray all;
        QString expected;
        for (int b = 0; b < 256; ++b) {
            all.append(char(b));
            expected.append(QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b)));
            QCOMPARE(TextFile::decodeWindows1252(QByteArray(1, char(b))), QString(expected.back()));
        }
        QCOMPARE(TextFile::decodeWindows1252(all), expected);
        // Written back, each character gives its byte again, but for the unassigned five.
        bool complete = false;
        QByteArray back = all;
        for (const char b : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
            back[uchar(b)] = '?';
        QCOMPARE(TextFile::encodeWindows1252(expected, &complete), back);
        QVERIFY(!complete);
        QCOMPARE(TextFile::encodeWindows1252(QString::fromUtf8("Été 2004 – 5 €"), &complete), QByteArray("\xC9t\xE9 2004 \x96 5 \x80"));
        QVERIFY(complete);
        // What the code page cannot hold becomes "?", one a UTF-16 unit, lone halves of a pair too.
        const QString foreign = QString::fromUtf8("a\u4E00b\U0001F600c") + QChar(0xD800) + QChar(0x0080);
        QCOMPARE(TextFile::encodeWindows1252(foreign, &complete), QByteArray("a?b??c??"));
        QVERIFY(!complete);
    }

    void failedWriteLeavesTheOldFileWhole()
    {
        const QByteArray before = "[General]\r\nTempo=3\r\n" + QByteArray(20000, ';') + "\r\n";
        QVERIFY(writeFile(ini(), before));
        TParamAppli p(ini());
        p.MasqueNomPhoto = QString(1, u'x');
        QString message;
        try {
            const TestSupport::FileSizeLimit tiny(4096);
            p.EcrireParametres();
        } catch (const LumaroError &e) {
            message = e.message();
        }
        QCOMPARE(message, QStringLiteral("Impossible d'écrire dans %1").arg(ini()));
        QCOMPARE(readFile(ini()), before);
    }

    void failedChangePutsEverySettingBack()
    {
        QVERIFY(writeFile(ini(), "[General]\r\nMasqueNomPhoto=#ORIG\r\nGestionEXIF=0\r\n"));
        TParamAppli p(ini());
        p.setMiniatureBatch(false);
        const QStringList before = p.describe();
        const QByteArray fileBefore = readFile(ini());
        QString message;
        try {
            const TestSupport::FileSizeLimit tiny(16);
            SettingsChange::applyAndWrite(p, [](TParamAppli &s) {
                s.MasqueNomPhoto = QStringLiteral("#N #THEME");
                s.RepertoirePhoto = QStringLiteral("/photos"); // the write adds its "/"
                s.Qualite = 90;
                s.ActiverDiaporama = false;
            });
        } catch (const LumaroError &e) {
            message = e.message();
        }
        QCOMPARE(message, QStringLiteral("Impossible d'écrire dans %1").arg(ini()));
        QCOMPARE(p.describe(), before);
        QCOMPARE(readFile(ini()), fileBefore);

        // The store keeps working: the next change is written and kept.
        SettingsChange::applyAndWrite(p, [](TParamAppli &s) { s.Tempo = 12; });
        QCOMPARE(TParamAppli(ini()).Tempo, 12);
        QCOMPARE(p.RepertoirePhoto, QStringLiteral("/"));
        QVERIFY(!TParamAppli(ini()).MiniatureBatch() && !TParamAppli(ini()).GestionEXIF);
    }

    void photoNameMaskNeedsANumberOrAName()
    {
        using SettingsChange::photoNameMaskIsValid;
        QVERIFY(!photoNameMaskIsValid(QStringLiteral("#AAAA #THEME")));
        QVERIFY(!photoNameMaskIsValid(QString()));
        QVERIFY(!photoNameMaskIsValid(QStringLiteral("#orig")));
        QVERIFY(!photoNameMaskIsValid(QStringLiteral("#cpt3 #n")));
        QVERIFY(photoNameMaskIsValid(QStringLiteral("x#N3")));
        QVERIFY(photoNameMaskIsValid(QStringLiteral("#CPT2-#AA")));
        QVERIFY(photoNameMaskIsValid(QStringLiteral("photo #ORIG")));
        QVERIFY(photoNameMaskIsValid(QStringLiteral("#NOEL"))); // a substring, as the rule says

        TParamAppli p(ini());
        p.RotationAuto = p.ExportInfoExif = p.GarderInfoEXIF = true;
        SettingsChange::applyExifManagement(p);
        QVERIFY(p.RotationAuto && p.ExportInfoExif && p.GarderInfoEXIF);
        p.GestionEXIF = false;
        SettingsChange::applyExifManagement(p);
        QVERIFY(!p.RotationAuto && !p.ExportInfoExif && !p.GarderInfoEXIF);
    }

    void unwritableFolderReportsThePath()
    {
        // A file stands where the folder should be.
        const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
        QVERIFY(writeFile(blocker, "x"));
        const QString path = blocker + QStringLiteral("/Lumaro.ini");
        TParamAppli p(path);
        QVERIFY_THROWS_EXCEPTION(LumaroError, p.setMiniatureBatch(false));
    }

    void settingsFolderPrefersAPortableInstallation()
    {
        QTemporaryDir exe;
        QCOMPARE(Paths::settingsFolder(exe.path()), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/lumaro/"));
        QVERIFY(writeFile(exe.filePath(QStringLiteral("Lumaro.ini")), ""));
        QCOMPARE(Paths::settingsFolder(exe.path()), exe.path() + u'/');
        QCOMPARE(Paths::withSeparator(QString()), QStringLiteral("/"));
        QCOMPARE(Paths::withSeparator(QStringLiteral("C:\\")), QStringLiteral("C:\\"));
    }

    // Without a portable installation: the base-directory rules of the desktop, where a relative
    // XDG_CONFIG_HOME is no folder at all and a home whose name is not UTF-8 keeps its bytes.
    void settingsFolderFollowsTheDesktopRules_data()
    {
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<QByteArray>("configHome"); // unset when null
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("XDG_CONFIG_HOME") << QByteArray("/h") << QByteArray("/c/fg") << QByteArray("/c/fg/lumaro/");
        QTest::newRow("unset") << QByteArray("/h") << QByteArray() << QByteArray("/h/.config/lumaro/");
        QTest::newRow("empty") << QByteArray("/h") << QByteArray("") << QByteArray("/h/.config/lumaro/");
        QTest::newRow("relative") << QByteArray("/h") << QByteArray("cfg") << QByteArray("/h/.config/lumaro/");
        QTest::newRow("home not UTF-8") << QByteArray("/h\xE9t\xE9") << QByteArray() << QByteArray("/h\xE9t\xE9/.config/lumaro/");
        QTest::newRow("config not UTF-8") << QByteArray("/h") << QByteArray("/c\xFF") << QByteArray("/c\xFF/lumaro/");
        QTest::newRow("no home") << QByteArray() << QByteArray() << QByteArray("/.config/lumaro/");
    }

    void settingsFolderFollowsTheDesktopRules()
    {
        QFETCH(QByteArray, home);
        QFETCH(QByteArray, configHome);
        QFETCH(QByteArray, expected);
        const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            qputenv("XDG_CONFIG_HOME", oldConfig);
        });
        home.isNull() ? qunsetenv("HOME") : qputenv("HOME", home);
        configHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", configHome);
        QTemporaryDir exe; // no Lumaro.ini in it
        QCOMPARE(FileName::encode(Paths::settingsFolder(exe.path())), expected);
    }

    void cliPrintsAndWritesTheSettings()
    {
        QTemporaryDir folder;
        QString out;
        QCOMPARE(TestSupport::runCli({"settings", "--settings-dir", folder.path()}, &out), 0);
        const QStringList lines = out.trimmed().split(u'\n');
        QCOMPARE(lines.size(), 29);
        QVERIFY(lines.contains(QStringLiteral("General/AutresFormats=0")));
        QCOMPARE(lines.first(), QStringLiteral("General/LecteurCarte=") + Paths::defaultCardReader());
        QVERIFY(lines.contains(QStringLiteral("General/EjecterCarte=0")));
        QCOMPARE(lines.last(), QStringLiteral("General/GestionEXIF=1"));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("Lumaro.ini"))));
        QCOMPARE(TestSupport::runCli({"settings", "--write", "--settings-dir", folder.path()}), 0);
        QVERIFY(readFile(folder.filePath(QStringLiteral("Lumaro.ini"))).contains("RepertoirePhoto=/\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
