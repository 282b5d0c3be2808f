// A device file travels through the program as its address: the address must give back the very
// device, folder and bytes of the name it was built from, and a hand-typed one must never lead
// above the device's root. A device's identity must give the same history number forever.
#include "core/devices/devicedetector.h"
#include "core/devices/deviceidentity.h"
#include "core/devices/deviceuri.h"
#include "core/files/filename.h"
#include "tests/testsupport.h"

#include <QtTest>

using Scheme = DeviceUri::Scheme;

class TestDeviceUri : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void parsesTheDesktopForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("scheme");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("built"); // the text built back from the parts

        const int gphoto2 = int(Scheme::Gphoto2), mtp = int(Scheme::Mtp), file = int(Scheme::File);
        QTest::newRow("camera root") << "gphoto2://[usb:002,005]/" << gphoto2 << "usb:002,005" << "" << "/"
                                     << "gphoto2://[usb:002,005]/";
        QTest::newRow("camera without the last slash") << "gphoto2://[usb:002,005]" << gphoto2 << "usb:002,005" << ""
                                                       << "/" << "gphoto2://[usb:002,005]/";
        QTest::newRow("folder of a camera") << "gphoto2://[usb:002,005]/store_00010001/DCIM/" << gphoto2 << "usb:002,005"
                                            << "" << "/store_00010001/DCIM"
                                            << "gphoto2://[usb:002,005]/store_00010001/DCIM";
        QTest::newRow("scheme in capitals") << "GPHOTO2://[usb:001,004]/DCIM" << gphoto2 << "usb:001,004" << "" << "/DCIM"
                                            << "gphoto2://[usb:001,004]/DCIM";
        QTest::newRow("phone by port") << "mtp://[usb:003,007]/" << mtp << "usb:003,007" << "" << "/"
                                       << "mtp://[usb:003,007]/";
        QTest::newRow("phone by name") << "mtp://SAMSUNG_Android_R58M123/Phone/DCIM/Camera" << mtp << ""
                                       << "SAMSUNG_Android_R58M123" << "/Phone/DCIM/Camera"
                                       << "mtp://SAMSUNG_Android_R58M123/Phone/DCIM/Camera";
        QTest::newRow("phone name with a space") << "mtp://Galaxy%20S9/" << mtp << "" << "Galaxy S9" << "/"
                                                 << "mtp://Galaxy%20S9/";
        QTest::newRow("served folder") << "gphoto2://[disk:/tmp/some%20folder]/DCIM/100DEMO/IMG_0001.JPG" << gphoto2
                                       << "disk:/tmp/some folder" << "" << "/DCIM/100DEMO/IMG_0001.JPG"
                                       << "gphoto2://[disk:/tmp/some%20folder]/DCIM/100DEMO/IMG_0001.JPG";
        QTest::newRow("served folder with a bracket") << "gphoto2://[disk:/tmp/a%5Db]/" << gphoto2 << "disk:/tmp/a]b"
                                                      << "" << "/" << "gphoto2://[disk:/tmp/a%5Db]/";
        QTest::newRow("card") << "file:///media/user/CARTE%20A/DCIM/" << file << "" << "" << "/media/user/CARTE A/DCIM"
                              << "file:///media/user/CARTE%20A/DCIM";
        QTest::newRow("card of this host") << "file://localhost/media/x" << file << "" << "" << "/media/x"
                                           << "file:///media/x";
        QTest::newRow("card, one slash") << "file:/media/x/" << file << "" << "" << "/media/x" << "file:///media/x";
        QTest::newRow("UTF-8 name") << "gphoto2://[usb:002,005]/No%C3%ABl.JPG" << gphoto2 << "usb:002,005" << ""
                                    << QStringLiteral("/Noël.JPG") << "gphoto2://[usb:002,005]/No%C3%ABl.JPG";
        QTest::newRow("typed accents") << QStringLiteral("file:///media/Noël/") << file << "" << ""
                                       << QStringLiteral("/media/Noël") << "file:///media/No%C3%ABl";
        QTest::newRow("a percent sign") << "file:///media/100%25/x%zz" << file << "" << "" << "/media/100%/x%zz"
                                        << "file:///media/100%25/x%25zz";
        QTest::newRow("never above the root") << "gphoto2://[disk:/srv/card]/DCIM/../../../etc/passwd" << gphoto2
                                              << "disk:/srv/card" << "" << "/etc/passwd"
                                              << "gphoto2://[disk:/srv/card]/etc/passwd";
        QTest::newRow("reserved characters") << "gphoto2://[usb:1,2]/a%23b%3Fc%20d" << gphoto2 << "usb:1,2" << ""
                                             << "/a#b?c d" << "gphoto2://[usb:1,2]/a%23b%3Fc%20d";
    }

    void parsesTheDesktopForms()
    {
        QFETCH(QString, text);
        QFETCH(int, scheme);
        QFETCH(QString, port);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, built);
        const std::optional<DeviceUri> uri = DeviceUri::parse(text);
        QVERIFY(uri);
        QCOMPARE(int(uri->scheme()), scheme);
        QCOMPARE(uri->port(), port);
        QCOMPARE(uri->name(), name);
        QCOMPARE(uri->path(), path);
        QCOMPARE(uri->isDevice(), scheme != int(Scheme::File));
        QCOMPARE(DeviceUri::isDeviceText(text), scheme != int(Scheme::File));
        QCOMPARE(uri->toString(), built);
        QCOMPARE(DeviceUri::parse(built), uri);
    }

    void refusesWhatIsNoDevice_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("plain path") << "/media/card";
        QTest::newRow("another scheme") << "http://[usb:002,005]/";
        QTest::newRow("unclosed port") << "gphoto2://[usb:002,005/DCIM";
        QTest::newRow("empty port") << "gphoto2://[]/";
        QTest::newRow("port without its kind") << "gphoto2://[002,005]/";
        QTest::newRow("no name") << "mtp:///DCIM";
        QTest::newRow("text after the port") << "gphoto2://[usb:002,005]x/";
        QTest::newRow("file of another host") << "file://server/share/x";
        QTest::newRow("relative file") << "file:media/x";
    }

    void refusesWhatIsNoDevice()
    {
        QFETCH(QString, text);
        QVERIFY(!DeviceUri::parse(text));
    }

    // Bytes that are no UTF-8 (a card written elsewhere) travel as %XX and come back the same.
    void namesThatAreNotUtf8RoundTrip()
    {
        const QString folder = FileName::decode(QByteArray("/media/caf\xE9 \xFF"));
        const QString photo = FileName::decode(QByteArray("IMG_\xE9\xE9.JPG"));
        const DeviceUri served = DeviceUri::fromPort(QStringLiteral("disk:") + folder);
        const DeviceUri file = served.child(QStringLiteral("DCIM")).child(photo);
        QCOMPARE(file.toString(), QStringLiteral("gphoto2://[disk:/media/caf%E9%20%FF]/DCIM/IMG_%E9%E9.JPG"));
        const std::optional<DeviceUri> back = DeviceUri::parse(file.toString());
        QVERIFY(back);
        QCOMPARE(back->diskFolder(), folder);
        QCOMPARE(FileName::encode(back->path()), QByteArray("/DCIM/IMG_\xE9\xE9.JPG"));
        QVERIFY(back->sameDevice(served));
        QVERIFY(!back->sameDevice(DeviceUri::fromPort(QStringLiteral("disk:/media/caf"))));

        const DeviceUri card = DeviceUri::fromLocalPath(folder + QStringLiteral("/DCIM/"));
        QCOMPARE(card.toString(), QStringLiteral("file:///media/caf%E9%20%FF/DCIM"));
        QCOMPARE(DeviceUri::parse(card.toString())->path(), folder + QStringLiteral("/DCIM"));
    }

    void buildsFromParts()
    {
        const DeviceUri camera = DeviceUri::fromPort(QStringLiteral("usb:002,005"));
        QCOMPARE(camera.toString(), QStringLiteral("gphoto2://[usb:002,005]/"));
        QCOMPARE(camera.diskFolder(), QString());
        QCOMPARE(camera.withPath(QStringLiteral("store_00010001/DCIM/")).toString(),
                 QStringLiteral("gphoto2://[usb:002,005]/store_00010001/DCIM"));
        QCOMPARE(camera.child(QStringLiteral("IMG 1.JPG")).toString(), QStringLiteral("gphoto2://[usb:002,005]/IMG%201.JPG"));
        QCOMPARE(DeviceUri::fromPort(QStringLiteral("usb:003,007"), QStringLiteral("/"), Scheme::Mtp).toString(),
                 QStringLiteral("mtp://[usb:003,007]/"));
        QCOMPARE(DeviceUri::fromName(QStringLiteral("Pixel 7")).toString(), QStringLiteral("mtp://Pixel%207/"));
        QCOMPARE(DeviceUri::fromPort(QStringLiteral("disk:/srv/card")).diskFolder(), QStringLiteral("/srv/card"));
    }

    // The history of a device is named after this number: it must not change between versions.
    void identityFollowsTheSerialAndKeepsItsNumber()
    {
        const DeviceIdentity camera{QStringLiteral("Canon Inc."), QStringLiteral("Canon EOS 80D"),
                                    QStringLiteral("usb:002,005"), QStringLiteral("0123456789AB")};
        QCOMPARE(camera.text(), QStringLiteral("0123456789AB"));
        QCOMPARE(camera.number(), quint32(1781319626)); // XXH32 of the text, seed 0
        DeviceIdentity elsewhere = camera;
        elsewhere.port = QStringLiteral("usb:001,009");
        QCOMPARE(elsewhere.number(), camera.number());

        const DeviceIdentity served{QString(), QStringLiteral("Directory Browse"), QStringLiteral("disk:/media/card"),
                                    QString()};
        QVERIFY(!served.hasSerial());
        QCOMPARE(served.text(), QStringLiteral("Directory Browse disk:/media/card"));
        QCOMPARE(served.number(), quint32(291341472));

        QCOMPARE(DeviceIdentity::cleanSerial(QStringLiteral("  AB12 \n")), QStringLiteral("AB12"));
        QCOMPARE(DeviceIdentity::cleanSerial(QStringLiteral("0000000000000000")), QString());
        QCOMPARE(DeviceIdentity::cleanSerial(QStringLiteral("  ")), QString());
        QCOMPARE(DeviceIdentity::cleanSerial(QStringLiteral("000100")), QStringLiteral("000100"));
    }

    void desktopNamesFindTheirDevice()
    {
        DetectedDevice device;
        device.model = QStringLiteral("Canon EOS 80D");
        device.manufacturer = QStringLiteral("Canon Inc.");
        device.serial = QStringLiteral("0123456789AB");
        QVERIFY(device.matchesName(QStringLiteral("Canon_Inc._Canon_EOS_80D_0123456789AB")));
        QVERIFY(device.matchesName(QStringLiteral("0123456789ab")));
        QVERIFY(device.matchesName(QStringLiteral("canon_eos_80d")));
        QVERIFY(device.matchesName(QStringLiteral("Canon_Inc._Canon_EOS_80D")));
        QVERIFY(!device.matchesName(QStringLiteral("Canon_EOS_80D_999")));
        QVERIFY(!device.matchesName(QStringLiteral("123456789AB"))); // a serial's tail is not the serial
        device.serial.clear();
        QVERIFY(!device.matchesName(QString()));
    }
};

QTEST_GUILESS_MAIN(TestDeviceUri)
#include "tst_deviceuri.moc"
