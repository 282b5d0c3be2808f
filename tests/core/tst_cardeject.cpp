// "Éjecter la carte" must unmount the card and power its reader off through UDisks2, report the
// daemon's own words when it refuses (a file still open), and never touch what is not a card
// plugged in: a system disk, a folder UDisks2 does not manage, or a machine without UDisks2.
// Against a mock UDisks2 (python3-dbusmock) on a private bus.
#include "core/devices/cardeject.h"
#include "tests/testsupport.h"
#include "tests/udisks2mock.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

const QString Service = UDisks2Mock::service();
const QString Python = UDisks2Mock::python();

QJsonObject volume(const QString &name, const QString &drive, const QString &mountPoint)
{
    return {{QStringLiteral("name"), name}, {QStringLiteral("drive"), drive}, {QStringLiteral("mountPoint"), mountPoint}};
}

// A mount table (as /proc/self/mountinfo) with the root and the given mount points.
QByteArray mountTable(const QStringList &mountPoints)
{
    QByteArray table = "21 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n";
    int id = 30;
    for (const QString &point : mountPoints) {
        table += QByteArray::number(id) + " 21 8:" + QByteArray::number(id) + " / " + point.toUtf8()
                 + " rw,relatime shared:9 - vfat /dev/sdb1 rw\n";
        ++id;
    }
    return table;
}

} // namespace

class TestCardEject : public QObject {
    Q_OBJECT

    QProcess m_busDaemon;
    QString m_address;
    UDisks2Mock m_mock;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_card;   // the card's mount point
    QString m_folder; // a folder of photos on it

    QDBusConnection bus() const { return QDBusConnection(QStringLiteral("lumaro-test-bus")); }

    // Starts the mock daemon with these volumes; false when it did not come up.
    [[nodiscard]] bool startMock(const QJsonArray &volumes) { return m_mock.start(m_address, bus(), volumes); }

    void stopMock() { m_mock.stop(); }

    // How many times the mock object's method was called.
    int calls(const QString &object, const QString &method) const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(Service, object, QStringLiteral("org.freedesktop.DBus.Mock"),
                                                           QStringLiteral("GetMethodCalls"));
        call << method;
        const QDBusMessage reply = bus().call(call);
        if (reply.type() != QDBusMessage::ReplyMessage)
            return -1;
        const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
        int count = 0;
        list.beginArray();
        while (!list.atEnd()) {
            list.asVariant();
            ++count;
        }
        list.endArray();
        return count;
    }

    static QString block(const QString &name) { return QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + name; }
    static QString drive(const QString &name) { return QStringLiteral("/org/freedesktop/UDisks2/drives/") + name; }

private slots:
    void initTestCase()
    {
        TestSupport::isolateEnvironment();
        QVERIFY2(QFile::exists(Python), "python3-dbusmock is needed (./dev installs it)");
        m_busDaemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                          QStringLiteral("--print-address=1")});
        QVERIFY2(m_busDaemon.waitForStarted(), "dbus-daemon is needed (./dev installs it)");
        QVERIFY(m_busDaemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_busDaemon.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
        QVERIFY(QDBusConnection::connectToBus(m_address, QStringLiteral("lumaro-test-bus")).isConnected());
    }

    void cleanupTestCase()
    {
        stopMock();
        QDBusConnection::disconnectFromBus(QStringLiteral("lumaro-test-bus"));
        m_busDaemon.terminate();
        if (!m_busDaemon.waitForFinished(5000))
            m_busDaemon.kill();
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_card = m_dir->filePath(QStringLiteral("CARD"));
        m_folder = m_card + QStringLiteral("/DCIM/100DEMO");
        QVERIFY(QDir().mkpath(m_folder));
    }

    void cleanup()
    {
        stopMock();
        m_dir.reset();
    }

    void ejectsACardInAReader_data()
    {
        QTest::addColumn<bool>("canPowerOff");
        QTest::addColumn<bool>("ejectable");
        QTest::addColumn<QString>("then"); // the drive's method called after the unmount
        QTest::newRow("USB card reader: powered off") << true << false << "PowerOff";
        QTest::newRow("medium that ejects") << false << true << "Eject";
        QTest::newRow("unmount only") << false << false << "";
    }

    void ejectsACardInAReader()
    {
        QFETCH(bool, canPowerOff);
        QFETCH(bool, ejectable);
        QFETCH(QString, then);
        QJsonObject card = volume(QStringLiteral("sdb1"), QStringLiteral("Reader"), m_card);
        card.insert(QStringLiteral("canPowerOff"), canPowerOff);
        card.insert(QStringLiteral("ejectable"), ejectable);
        QVERIFY(startMock({card}));
        const CardEject ejecter(bus(), mountTable({m_card}));

        QVERIFY(ejecter.canEject(m_folder));
        QVERIFY(ejecter.canEject(m_card));
        QCOMPARE(calls(block(QStringLiteral("sdb1")), QStringLiteral("Unmount")), 0);
        const CardEject::Outcome outcome = ejecter.eject(m_folder);
        QCOMPARE(outcome.result, CardEject::Result::Ejected);
        QCOMPARE(outcome.message, QString());
        QCOMPARE(calls(block(QStringLiteral("sdb1")), QStringLiteral("Unmount")), 1);
        QCOMPARE(calls(drive(QStringLiteral("Reader")), QStringLiteral("PowerOff")), then == QLatin1String("PowerOff") ? 1 : 0);
        QCOMPARE(calls(drive(QStringLiteral("Reader")), QStringLiteral("Eject")), then == QLatin1String("Eject") ? 1 : 0);
        // Unmounted: UDisks2 no longer lists it there, so there is nothing more to eject.
        QVERIFY(!ejecter.canEject(m_folder));
        QCOMPARE(ejecter.eject(m_folder).result, CardEject::Result::NotManaged);
    }

    void refusalCarriesTheDaemonsWords()
    {
        QJsonObject card = volume(QStringLiteral("sdb1"), QStringLiteral("Reader"), m_card);
        card.insert(QStringLiteral("unmountError"), QStringLiteral("Error unmounting /dev/sdb1: target is busy"));
        QVERIFY(startMock({card}));
        const CardEject ejecter(bus(), mountTable({m_card}));
        const CardEject::Outcome outcome = ejecter.eject(m_folder);
        QCOMPARE(outcome.result, CardEject::Result::Refused);
        QCOMPARE(outcome.message, QStringLiteral("La carte n'a pas pu être éjectée : Error unmounting /dev/sdb1: target is busy"));
        QCOMPARE(calls(block(QStringLiteral("sdb1")), QStringLiteral("Unmount")), 1);
        QCOMPARE(calls(drive(QStringLiteral("Reader")), QStringLiteral("PowerOff")), 0);
        QVERIFY(ejecter.canEject(m_folder)); // still mounted: the user may try again
    }

    void unmountedEvenIfTheReaderStaysOn()
    {
        QJsonObject card = volume(QStringLiteral("sdb1"), QStringLiteral("Reader"), m_card);
        card.insert(QStringLiteral("powerOffError"), QStringLiteral("Error powering off drive: not permitted"));
        QVERIFY(startMock({card}));
        const CardEject::Outcome outcome = CardEject(bus(), mountTable({m_card})).eject(m_folder);
        QCOMPARE(outcome.result, CardEject::Result::Unmounted);
        QCOMPARE(outcome.message, QStringLiteral("La carte est démontée et peut être retirée, mais le lecteur n'a pas pu être "
                                                 "mis hors tension : Error powering off drive: not permitted"));
    }

    // Only a card plugged in is ejected: never a disk of the system, never a folder whose mount
    // UDisks2 does not manage (even inside a card's mount), never without UDisks2.
    void leavesAloneWhatIsNoCard()
    {
        const QString system = m_dir->filePath(QStringLiteral("data"));
        const QString nested = m_card + QStringLiteral("/DCIM/tmpfs");
        QVERIFY(QDir().mkpath(system) && QDir().mkpath(nested));
        QJsonObject disk = volume(QStringLiteral("sda2"), QStringLiteral("Internal_SSD"), system);
        disk.insert(QStringLiteral("hintSystem"), true);
        disk.insert(QStringLiteral("removable"), false);
        disk.insert(QStringLiteral("canPowerOff"), false);
        QVERIFY(startMock({disk, volume(QStringLiteral("sdb1"), QStringLiteral("Reader"), m_card)}));
        const CardEject ejecter(bus(), mountTable({system, m_card, nested}));

        const QString outside = m_dir->filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(outside));
        for (const QString &folder : {system, nested, outside}) {
            QVERIFY2(!ejecter.canEject(folder), qPrintable(folder));
            const CardEject::Outcome outcome = ejecter.eject(folder);
            QCOMPARE(outcome.result, CardEject::Result::NotManaged);
            QCOMPARE(outcome.message,
                     QStringLiteral("Le dossier %1 n'est pas sur une carte que le système peut éjecter.").arg(folder));
        }
        QCOMPARE(calls(block(QStringLiteral("sda2")), QStringLiteral("Unmount")), 0);
        QCOMPARE(calls(block(QStringLiteral("sdb1")), QStringLiteral("Unmount")), 0);
        QVERIFY(ejecter.canEject(m_folder));

        stopMock();
        QTRY_VERIFY(!bus().interface()->isServiceRegistered(Service));
        QCOMPARE(ejecter.eject(m_folder).result, CardEject::Result::NotManaged);
        QVERIFY(!CardEject(QDBusConnection(QStringLiteral("no-such-bus")), mountTable({m_card})).canEject(m_folder));
    }
};

QTEST_GUILESS_MAIN(TestCardEject)
#include "tst_cardeject.moc"
