// Copies must never leave a half-written file under its final name, must keep the source's
// last-write time, and a verified copy must notice a copy that the disk damaged.
#include "core/error.h"
#include "core/files/safecopy.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <optional>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char &c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

struct timespec modificationTime(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_mtim;
}

[[nodiscard]] bool setModificationTime(const QString &path, time_t seconds, long nanoseconds)
{
    const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QString expectedError(const QString &source, const QString &target)
{
    return QStringLiteral("Erreur pendant la copie du fichier %1 en %2.").arg(source, target);
}

} // namespace

class TestSafeCopy : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::isolateEnvironment(); }

    void checksumMatchesReferenceValues()
    {
        // Reference values of the 64-bit XXH3 with seed 0.
        SafeCopy::Checksum empty;
        QCOMPARE(empty.value(), Q_UINT64_C(0x2D06800538D394C2));
        SafeCopy::Checksum abc;
        abc.add("abc", 3);
        QCOMPARE(abc.value(), Q_UINT64_C(0x78AF5F94892F3950));
    }

    void checksumDoesNotDependOnPieces()
    {
        const QByteArray bytes = randomBytes(10007, 7);
        SafeCopy::Checksum whole;
        whole.add(bytes.constData(), size_t(bytes.size()));
        for (int piece : {1, 3, 31, 32, 33, 4096}) {
            SafeCopy::Checksum parts;
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                parts.add(bytes.constData() + at, size_t(std::min<qsizetype>(piece, bytes.size() - at)));
            QCOMPARE(parts.value(), whole.value());
        }
        QByteArray changed = bytes;
        changed[5000] = char(changed[5000] ^ 1);
        SafeCopy::Checksum other;
        other.add(changed.constData(), size_t(changed.size()));
        QVERIFY(other.value() != whole.value());
    }

    void copyKeepsBytesAndTime_data()
    {
        QTest::addColumn<bool>("verified");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("plain, empty file") << false << 0 << false;
        QTest::newRow("plain, 3 MB over an old file") << false << 3 * 1024 * 1024 + 17 << true;
        QTest::newRow("verified, small") << true << 1000 << false;
        QTest::newRow("verified, 3 MB over an old file") << true << 3 * 1024 * 1024 + 17 << true;
    }

    void copyKeepsBytesAndTime()
    {
        QFETCH(bool, verified);
        QFETCH(int, size);
        QFETCH(bool, targetExists);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("IMG_0001.JPG"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dest")));
        const QString target = dir.filePath(QStringLiteral("dest/2004-02-14 Noël 1.JPG"));
        const QByteArray bytes = randomBytes(size, 1);
        QVERIFY(writeFile(source, bytes));
        QVERIFY(setModificationTime(source, 1076751012, 123456789));
        if (targetExists)
            QVERIFY(writeFile(target, "old"));

        SafeCopy::copyFile(source, target, verified ? SafeCopy::Mode::Verified : SafeCopy::Mode::Plain);

        QCOMPARE(readFile(target), bytes);
        const struct timespec time = modificationTime(target);
        QCOMPARE(qint64(time.tv_sec), qint64(1076751012));
        QCOMPARE(qint64(time.tv_nsec), qint64(123456789));
        QCOMPARE(entries(dir.filePath(QStringLiteral("dest"))), QStringList{QStringLiteral("2004-02-14 Noël 1.JPG")});
        QCOMPARE(readFile(source), bytes);
    }

    void damagedCopyIsRefused()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("src.JPG"));
        const QString target = dir.filePath(QStringLiteral("dst.JPG"));
        QVERIFY(writeFile(source, randomBytes(200000, 2)));
        QVERIFY(writeFile(target, "previous photo"));
        SafeCopy::Hooks hooks;
        int calls = 0;
        hooks.afterWrite = [&](const QString &temporary) {
            ++calls;
            QFile file(temporary);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(123456);
            char c = 0;
            file.getChar(&c);
            file.seek(123456);
            file.putChar(char(c ^ 0x10));
        };
        try {
            SafeCopy::copyFile(source, target, SafeCopy::Mode::Verified, hooks);
            QFAIL("a damaged copy was accepted");
        } catch (const LumaroError &error) {
            QCOMPARE(error.message(), expectedError(source, target));
        }
        QCOMPARE(calls, 1);
        QCOMPARE(readFile(target), QByteArray("previous photo"));
        QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("dst.JPG"), QStringLiteral("src.JPG")}));

        // A plain copy has no read-back: the hook is not called.
        SafeCopy::copyFile(source, target, SafeCopy::Mode::Plain, hooks);
        QCOMPARE(calls, 1);
    }

    // Bytes read from a camera: written, read back and compared like a copy, with the camera's
    // time for the file; a damaged write or a missing folder leaves nothing behind.
    void deviceBytesAreWrittenVerified()
    {
        QTemporaryDir dir;
        const QString source = QStringLiteral("gphoto2://[usb:002,005]/DCIM/100CANON/IMG_0001.JPG");
        const QString target = dir.filePath(QStringLiteral("2004-02-14 1.JPG"));
        const QByteArray bytes = randomBytes(1500000, 4);
        const struct timespec taken = {1076751012, 0};
        SafeCopy::writeContent(source, bytes, taken, target, SafeCopy::Mode::Verified);
        QCOMPARE(readFile(target), bytes);
        QCOMPARE(qint64(modificationTime(target).tv_sec), qint64(1076751012));

        // The bytes in memory are compared with the disk's: one bit changed, one byte missing
        // at the end or one byte too many are all found.
        const QList<std::function<void(QFile &)>> damages = {
            [](QFile &file) {
                file.seek(777777);
                char c = 0;
                file.getChar(&c);
                file.seek(777777);
                file.putChar(char(c ^ 0x01));
            },
            [&bytes](QFile &file) { file.resize(bytes.size() - 1); },
            [](QFile &file) {
                file.seek(file.size());
                file.putChar('\0');
            },
        };
        const QString second = dir.filePath(QStringLiteral("2004-02-14 2.JPG"));
        for (const std::function<void(QFile &)> &damage : damages) {
            SafeCopy::Hooks hooks;
            hooks.afterWrite = [&damage](const QString &temporary) {
                QFile file(temporary);
                QVERIFY(file.open(QIODevice::ReadWrite));
                damage(file);
            };
            for (const QString &where : {second, dir.filePath(QStringLiteral("none/3.JPG"))}) {
                try {
                    SafeCopy::writeContent(source, bytes, taken, where, SafeCopy::Mode::Verified, hooks);
                    QFAIL("a damaged or impossible write was accepted");
                } catch (const LumaroError &error) {
                    QCOMPARE(error.message(), expectedError(source, where));
                }
            }
        }
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("2004-02-14 1.JPG")});
    }

    // A copy written ahead waits under its temporary name, on whatever thread made it, and
    // takes its name only when told; dropped instead, it leaves nothing.
    void stagedCopyTakesItsNameOnlyWhenTold()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("src.JPG"));
        const QString target = dir.filePath(QStringLiteral("dst.JPG"));
        const QByteArray bytes = randomBytes(200000, 5);
        QVERIFY(writeFile(source, bytes));
        std::optional<SafeCopy::StagedFile> staged;
        std::thread([&] { staged.emplace(SafeCopy::stageFile(source, target, SafeCopy::Mode::Verified)); }).join();
        QVERIFY(!QFile::exists(target));
        QCOMPARE(entries(dir.path()).size(), 2); // the source and the temporary file
        staged->commit();
        QCOMPARE(readFile(target), bytes);
        QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("dst.JPG"), QStringLiteral("src.JPG")}));

        {
            const SafeCopy::StagedFile dropped =
                SafeCopy::stageContent(QStringLiteral("gphoto2://[usb:001,002]/IMG.JPG"), bytes, {1000, 0},
                                       dir.filePath(QStringLiteral("other.JPG")), SafeCopy::Mode::Verified);
            QCOMPARE(entries(dir.path()).size(), 3);
        }
        QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("dst.JPG"), QStringLiteral("src.JPG")}));
    }

    void failuresLeaveNothingBehind_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("missing source") << QStringLiteral("missing");
        QTest::newRow("source is a folder") << QStringLiteral("folder");
        QTest::newRow("target folder is a file") << QStringLiteral("blocked");
        QTest::newRow("file size limit") << QStringLiteral("fsize");
    }

    void failuresLeaveNothingBehind()
    {
        QFETCH(QString, situation);
        QTemporaryDir dir;
        QString source = dir.filePath(QStringLiteral("src.JPG"));
        QString target = dir.filePath(QStringLiteral("dst.JPG"));
        QVERIFY(writeFile(source, randomBytes(300000, 3)));
        QVERIFY(writeFile(target, "old target"));
        if (situation == QStringLiteral("missing"))
            source = dir.filePath(QStringLiteral("none.JPG"));
        if (situation == QStringLiteral("folder"))
            source = dir.path();
        if (situation == QStringLiteral("blocked")) {
            QVERIFY(writeFile(dir.filePath(QStringLiteral("blocker")), "a file where a folder is expected"));
            target = dir.filePath(QStringLiteral("blocker/dst.JPG"));
        }
        struct rlimit old {};
        if (situation == QStringLiteral("fsize")) {
            ::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &old);
            struct rlimit limit = old;
            limit.rlim_cur = 100000;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        for (SafeCopy::Mode mode : {SafeCopy::Mode::Plain, SafeCopy::Mode::Verified}) {
            bool thrown = false;
            try {
                SafeCopy::copyFile(source, target, mode);
            } catch (const LumaroError &error) {
                thrown = true;
                QCOMPARE(error.message(), expectedError(source, target));
            }
            QVERIFY(thrown);
        }
        if (situation == QStringLiteral("fsize"))
            ::setrlimit(RLIMIT_FSIZE, &old);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("dst.JPG"))), QByteArray("old target"));
        QStringList expected{QStringLiteral("dst.JPG"), QStringLiteral("src.JPG")};
        if (situation == QStringLiteral("blocked"))
            expected.prepend(QStringLiteral("blocker"));
        QCOMPARE(entries(dir.path()), expected);
    }
};

QTEST_GUILESS_MAIN(TestSafeCopy)
#include "tst_safecopy.moc"
