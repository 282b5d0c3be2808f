// The photo filter's file "Filtre.ini".
#include "core/error.h"
#include "core/discovery/filtrephoto.h"
#include "core/settings/profilefile.h"
#include "core/files/textfile.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

constexpr double Feb25th2004 = 38042.0;

} // namespace

class TestFiltre : public QObject {
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    QString m_folder;
    QString file() const { return m_folder + QStringLiteral("Filtre.ini"); }

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }
    void init()
    {
        m_dir = new QTemporaryDir;
        m_folder = m_dir->path() + u'/';
    }
    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
    }

    void missingFileGivesDefaults()
    {
        const TFiltrePhoto filter(m_folder);
        QCOMPARE(filter.filePath(), file());
        QVERIFY(!filter.NouvellePhoto);
        QCOMPARE(filter.FiltreNom, QString());
        QCOMPARE(filter.TypeFiltreNom, 0);
        QCOMPARE(filter.TypeFiltreDate, 0);
        QCOMPARE(filter.FiltreDate, -1.0);
        QVERIFY(!QFile::exists(file()));
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("fresh");
        QTest::addColumn<int>("nameType");
        QTest::addColumn<double>("date");
        QTest::newRow("stored day") << QByteArray("FiltreDate=25022004") << false << 0 << Feb25th2004;
        QTest::newRow("impossible day") << QByteArray("FiltreDate=31022004") << false << 0 << -1.0;
        QTest::newRow("four digits") << QByteArray("FiltreDate=2502") << false << 0 << -1.0;
        QTest::newRow("letters") << QByteArray("FiltreDate=abcdefgh") << false << 0 << -1.0;
        QTest::newRow("sign inside") << QByteArray("FiltreDate=-1022004") << false << 0 << -1.0;
        QTest::newRow("no-date form") << QByteArray("FiltreDate=29121899") << false << 0 << -1.0;
        QTest::newRow("first day") << QByteArray("FiltreDate=31121899") << false << 0 << 1.0;
        QTest::newRow("256 is false") << QByteArray("NouvellePhoto=256") << false << 0 << -1.0;
        QTest::newRow("3 is true") << QByteArray("NouvellePhoto=3") << true << 0 << -1.0;
        QTest::newRow("not a number") << QByteArray("NouvellePhoto=oui\r\nTypeFiltreNom=x") << false << 0 << -1.0;
        QTest::newRow("hexadecimal") << QByteArray("TypeFiltreNom=0x2") << false << 2 << -1.0;
        QTest::newRow("other section") << QByteArray("[Autre]\r\nNouvellePhoto=1\r\nTypeFiltreNom=1") << false << 0 << -1.0;
    }
    void reading()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, fresh);
        QFETCH(int, nameType);
        QFETCH(double, date);
        QVERIFY(writeFile(file(), "[Filtre]\r\n" + content + "\r\n"));
        const TFiltrePhoto filter(m_folder);
        QCOMPARE(filter.NouvellePhoto, fresh);
        QCOMPARE(filter.TypeFiltreNom, nameType);
        QCOMPARE(filter.FiltreDate, date);
    }

    void writingRoundTripsAndKeepsOtherKeys()
    {
        QVERIFY(writeFile(file(), "; mes réglages\r\n[Filtre]\r\nNouvellePhoto=3\r\nAutreCle=garde\r\n[Autre]\r\nX=1\r\n"));
        TFiltrePhoto filter(m_folder);
        QVERIFY(filter.NouvellePhoto);
        filter.FiltreNom = QStringLiteral("Vacances été");
        filter.TypeFiltreNom = -1;
        filter.TypeFiltreDate = 1;
        filter.FiltreDate = Feb25th2004;
        filter.EnregistrerFiltre();
        QCOMPARE(readFile(file()), QStringLiteral("; mes réglages\r\n[Filtre]\r\nNouvellePhoto=1\r\nAutreCle=garde\r\n"
                                                  "FiltreNom=Vacances été\r\nTypeFiltreNom=-1\r\nTypeFiltreDate=1\r\n"
                                                  "FiltreDate=25022004\r\n[Autre]\r\nX=1\r\n")
                                       .toUtf8());
        const TFiltrePhoto again(m_folder);
        QVERIFY(again.NouvellePhoto);
        QCOMPARE(again.FiltreNom, filter.FiltreNom);
        QCOMPARE(again.TypeFiltreNom, -1);
        QCOMPARE(again.TypeFiltreDate, 1);
        QCOMPARE(again.FiltreDate, Feb25th2004);
    }

    void noDateIsWrittenAsTheDayBeforeTheFirst()
    {
        TFiltrePhoto filter(m_folder);
        filter.EnregistrerFiltre();
        QCOMPARE(readFile(file()), QByteArray("[Filtre]\r\nNouvellePhoto=0\r\nFiltreNom=\r\nTypeFiltreNom=0\r\n"
                                              "TypeFiltreDate=0\r\nFiltreDate=29121899\r\n"));
        QCOMPARE(TFiltrePhoto(m_folder).FiltreDate, -1.0);
    }

    void fileThatCannotBeWritten()
    {
        QVERIFY(QDir().mkpath(file())); // a folder where the file should be
        TFiltrePhoto filter(m_folder);
        filter.FiltreNom = QStringLiteral("x");
        try {
            filter.EnregistrerFiltre();
            QFAIL("no error");
        } catch (const LumaroError &error) {
            QCOMPARE(error.message(), QStringLiteral("Impossible d'écrire dans %1").arg(file()));
        }
        QCOMPARE(filter.FiltreNom, QStringLiteral("x"));
    }
};

QTEST_GUILESS_MAIN(TestFiltre)
#include "tst_filtre.moc"
