// The new-version check: the comparison of versions, the version file, and the download against
// a local server that answers well, says nothing, fails, stalls, sends too much or redirects.
#include "core/update/versioncheck.h"
#include "tests/localhttpserver.h"
#include "tests/testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

using Outcome = VersionCheck::Result::Outcome;
using Failure = VersionCheck::Result::Failure;

class TestVersion : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void comparison_data()
    {
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QString>("own");
        QTest::addColumn<bool>("newer");
        QTest::newRow("one more") << "2.5.0.1" << "2.5.0.0" << true;
        QTest::newRow("same") << "2.5.0.0" << "2.5.0.0" << false;
        QTest::newRow("older") << "2.4.9.9" << "2.5.0.0" << false;
        QTest::newRow("two digits weigh more") << "2.10.0.0" << "2.9.0.0" << true;
        QTest::newRow("100 in the last place equals one in the third") << "2.5.0.100" << "2.5.1.0" << false;
        QTest::newRow("the other way round") << "2.5.1.0" << "2.5.0.100" << false;
        QTest::newRow("no point") << "3" << "1.0.0.0" << false;
        QTest::newRow("three numbers") << "2.5.1" << "1.0.0.0" << false;
        QTest::newRow("five numbers") << "2.5.0.0.1" << "1.0.0.0" << false;
        QTest::newRow("letters") << "2.a.0.0" << "1.0.0.0" << false;
        QTest::newRow("sign") << "-2.0.0.0" << "1.0.0.0" << false;
        QTest::newRow("empty piece") << "2..0.0" << "1.0.0.0" << false;
        QTest::newRow("empty") << "" << "1.0.0.0" << false;
        QTest::newRow("own version malformed") << "9.0.0.0" << "1.0" << false;
        QTest::newRow("ten thousand digits") << QString(10000, u'9') + ".0.0.0" << "1.0.0.0" << false;
        QTest::newRow("largest weighed piece") << "999999999.0.0.0" << "1.0.0.0" << true;
    }
    void comparison()
    {
        QFETCH(QString, latest);
        QFETCH(QString, own);
        QFETCH(bool, newer);
        QCOMPARE(IsNewerVersion(latest, own), newer);
    }

    void ownVersionIsFourNumbers()
    {
        QCOMPARE(ReadVersionInfo().constFirst(), ProgramVersion());
        QVERIFY(IsNewerVersion(QStringLiteral("999.0.0.0"), ProgramVersion()));
        QVERIFY(!IsNewerVersion(ProgramVersion(), ProgramVersion()));
    }

    void versionFileNamesIgnoreCase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VersionLMR.txt"));
        QVERIFY(TestSupport::writeFile(path, "[currentversions]\r\nLUMARO = 2.5.0.1 \r\n[downloadurl]\r\nlumaro=https://x.example/\r\n"
                                             "[CurrentVersions]\r\nAutre=9.9.9.9\r\n"));
        const VersionCheck::VersionFile file = VersionCheck::readVersionFile(path);
        QCOMPARE(file.latest, QStringLiteral("2.5.0.1"));
        QCOMPARE(file.downloadAddress, QStringLiteral("https://x.example/"));
        QCOMPARE(VersionCheck::readVersionFile(path, QStringLiteral("Autre")).downloadAddress, QString());
        QCOMPARE(VersionCheck::shownVersion(QString(100, u'1')).size(), 40);
    }

    void addressOverriddenByTheEnvironment()
    {
        qunsetenv("LUMARO_VERSION_URL");
        QCOMPARE(VersionCheck::versionFileAddress(), QStringLiteral("https://lumaro.example/versions.txt"));
        qputenv("LUMARO_VERSION_URL", "http://127.0.0.1:1/v.txt");
        QCOMPARE(VersionCheck::versionFileAddress(), QStringLiteral("http://127.0.0.1:1/v.txt"));
        qunsetenv("LUMARO_VERSION_URL");
    }

    void downloads_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("outcome");
        const QByteArray web = "https://lumaro.example/telecharger";
        QTest::newRow("newer") << LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", web)) << int(Outcome::Newer);
        QTest::newRow("same") << LocalHttpServer::answer(200, LocalHttpServer::versionFile("1.0.0.0", web)) << int(Outcome::UpToDate);
        QTest::newRow("an error page given with success") << LocalHttpServer::answer(200, "<html>oups</html>") << int(Outcome::UpToDate);
        QTest::newRow("another title") << LocalHttpServer::answer(200, "[CurrentVersions]\r\nAutre=9.0.0.0\r\n") << int(Outcome::UpToDate);
        QTest::newRow("not found") << LocalHttpServer::answer(404, "introuvable") << int(Outcome::Failed);
        QTest::newRow("server error") << LocalHttpServer::answer(500, "") << int(Outcome::Failed);
        QTest::newRow("oversize") << LocalHttpServer::answer(200, QByteArray(100 * 1024, 'x')) << int(Outcome::Failed);
        QTest::newRow("redirect to another scheme")
            << LocalHttpServer::answer(302, "", "Location: ftp://127.0.0.1/versions.txt\r\n") << int(Outcome::Failed);
        QTest::newRow("redirect to a file")
            << LocalHttpServer::answer(302, "", "Location: file:///etc/passwd\r\n") << int(Outcome::Failed);
        QTest::newRow("redirect within the site")
            << LocalHttpServer::answer(302, "", "Location: /moved-here\r\n") << int(Outcome::Newer);
        QTest::newRow("file address for the new version")
            << LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", "file:///usr/bin/xterm")) << int(Outcome::Failed);
        QTest::newRow("program path for the new version")
            << LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", "/usr/bin/xterm")) << int(Outcome::Failed);
        QTest::newRow("text for the new version")
            << LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", "voir le site")) << int(Outcome::Failed);
    }
    void downloads()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, outcome);
        LocalHttpServer server;
        QVERIFY(server.listening());
        server.answerWith(answer);
        server.afterRedirectAnswer(
            LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", "https://lumaro.example/")));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("settings/VersionLMR.txt"));
        const VersionCheck::Result result = VersionCheck::check(QUrl(server.address()), file, 5000);
        QCOMPARE(int(result.outcome), outcome);
        QVERIFY(server.requests() >= 1);
        if (outcome == int(Outcome::Newer)) {
            QCOMPARE(result.latest, QStringLiteral("999.0.0.1"));
            QVERIFY(result.downloadAddress.startsWith(QStringLiteral("https://lumaro.example/")));
        }
        // What was downloaded is kept; nothing of a failed download is.
        const bool downloaded = answer.startsWith("HTTP/1.1 200") && answer.size() < 50000;
        QCOMPARE(QFile::exists(file), downloaded || QTest::currentDataTag() == QByteArray("redirect within the site"));
        if (QTest::currentDataTag() == QByteArray("newer"))
            QCOMPARE(TestSupport::readFile(file), LocalHttpServer::versionFile("999.0.0.1", "https://lumaro.example/telecharger"));
    }

    void aStalledServerTimesOut()
    {
        LocalHttpServer server;
        server.stall();
        QTemporaryDir dir;
        const VersionCheck::Result result =
            VersionCheck::check(QUrl(server.address()), dir.filePath(QStringLiteral("VersionLMR.txt")), 300);
        QCOMPARE(result.outcome, Outcome::Failed);
        QVERIFY(!result.failure.isEmpty());
    }

    // Each failure says which it is, so that the user is not sent to check a connection that works.
    void eachFailureSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("folderIsAFile");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("reason");
        const QByteArray newer = LocalHttpServer::versionFile("999.0.0.1", "https://lumaro.example/telecharger");
        QTest::newRow("newer") << LocalHttpServer::answer(200, newer) << false << int(Outcome::Newer) << int(Failure::None);
        QTest::newRow("up to date") << LocalHttpServer::answer(200, LocalHttpServer::versionFile("1.0.0.0", "x"))
                                    << false << int(Outcome::UpToDate) << int(Failure::None);
        QTest::newRow("not found") << LocalHttpServer::answer(404, "") << false << int(Outcome::Failed)
                                   << int(Failure::NotDownloaded);
        QTest::newRow("version file cannot be written")
            << LocalHttpServer::answer(200, newer) << true << int(Outcome::Failed) << int(Failure::NotWritten);
        QTest::newRow("new version at a file address")
            << LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", "file:///usr/bin/xterm")) << false
            << int(Outcome::Failed) << int(Failure::InvalidAddress);
        QTest::newRow("new version at a mail address")
            << LocalHttpServer::answer(200, LocalHttpServer::versionFile("999.0.0.1", "mailto:a@lumaro.example"))
            << false << int(Outcome::Failed) << int(Failure::InvalidAddress);
    }
    void eachFailureSaysWhy()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, folderIsAFile);
        QFETCH(int, outcome);
        QFETCH(int, reason);
        LocalHttpServer server;
        server.answerWith(answer);
        QTemporaryDir dir;
        // Even as root, nothing is written under a regular file.
        QVERIFY(TestSupport::writeFile(dir.filePath(QStringLiteral("fichier")), "pas un dossier"));
        const QString file = dir.filePath(folderIsAFile ? QStringLiteral("fichier/VersionLMR.txt")
                                                        : QStringLiteral("settings/VersionLMR.txt"));
        const VersionCheck::Result result = VersionCheck::check(QUrl(server.address()), file, 5000);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(int(result.reason), reason);
        QCOMPARE(result.failure.isEmpty(), reason == int(Failure::None));
        if (reason == int(Failure::NotWritten))
            QVERIFY(result.failure.contains(file));
        if (reason == int(Failure::InvalidAddress)) {
            // The version is known all the same: the user can be told which one to look for.
            QCOMPARE(result.latest, QStringLiteral("999.0.0.1"));
            QCOMPARE(result.failure, QStringLiteral("adresse de la nouvelle version invalide"));
        }
    }

    void onlyWebAddressesAreChecked()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("VersionLMR.txt"));
        QCOMPARE(VersionCheck::check(QUrl(QStringLiteral("file:///etc/hostname")), file, 300).outcome, Outcome::Failed);
        QVERIFY(!QFile::exists(file));
        QVERIFY(VersionCheck::isWebAddress(QStringLiteral(" https://lumaro.example/x ")));
        QVERIFY(!VersionCheck::isWebAddress(QStringLiteral("https://")));
        QVERIFY(!VersionCheck::isWebAddress(QStringLiteral("mailto:a@b.example")));
    }
};

QTEST_GUILESS_MAIN(TestVersion)
#include "tst_version.moc"
