#include "tests/testsupport.h"

#include <ftw.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>

namespace TestSupport {

void isolateEnvironment()
{
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    qputenv("TZ", "Europe/Paris");
    tzset();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

QString cliPath()
{
    return QStringLiteral(LUMARO_CLI);
}

int runCli(const QStringList &arguments, QString *out, QString *err, int timeoutMs)
{
#ifdef LUMARO_CLI
    QProcess process;
    process.start(cliPath(), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (out)
        *out = QString::fromUtf8(process.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
#else
    Q_UNUSED(arguments) Q_UNUSED(out) Q_UNUSED(err) Q_UNUSED(timeoutMs)
    return -1;
#endif
}

CliRun runCliRaw(const QStringList &arguments, const QList<QPair<QString, QString>> &environment, int timeoutMs)
{
    CliRun run;
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const auto &variable : environment)
        variables.insert(variable.first, variable.second);
    process.setProcessEnvironment(variables);
    process.start(cliPath(), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

bool runProgram(const QString &program, const QStringList &arguments, QByteArray *out)
{
    QProcess process;
    process.start(program, arguments);
    const bool ran = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
                     && process.exitCode() == 0;
    if (!ran)
        qWarning() << program << arguments << process.readAllStandardError();
    if (out)
        *out = process.readAllStandardOutput();
    return ran;
}

QString findMkfsVfat()
{
    return QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
}

bool makeCardImage(const QString &path)
{
    const QString mkfs = findMkfsVfat();
    return !mkfs.isEmpty()
           && QProcess::execute(mkfs, {QStringLiteral("-i"), QStringLiteral("1234ABCD"), QStringLiteral("-C"), path,
                                       QStringLiteral("1024")})
                  == 0;
}

namespace {

bool runQuietly(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

FatVolume::FatVolume(const QString &image, const QString &mountPoint, const QString &size) : m_mountPoint(mountPoint)
{
    const QString mkfs = findMkfsVfat();
    if (mkfs.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("fusefat")).isEmpty()
        || !QDir().mkpath(mountPoint))
        return;
    m_mounted = (size.isEmpty()
                 || (runQuietly(QStringLiteral("truncate"), {QStringLiteral("-s"), size, image})
                     && runQuietly(mkfs, {QStringLiteral("-i"), QStringLiteral("1234ABCD"), image})))
                && runQuietly(QStringLiteral("fusefat"), {QStringLiteral("-o"), QStringLiteral("rw+"), image, mountPoint});
}

FatVolume::~FatVolume()
{
    if (m_mounted)
        runQuietly(QStringLiteral("fusermount"), {QStringLiteral("-u"), m_mountPoint});
}

void removeTree(const QString &path)
{
    const auto remove = [](const char *entry, const struct stat *, int, struct FTW *) { return ::remove(entry); };
    ::nftw(QFile::encodeName(path).constData(), remove, 16, FTW_DEPTH | FTW_PHYS);
}

QByteArray mountTable(const QString &mountPoint, const QString &image)
{
    QString escaped = mountPoint;
    escaped.replace(u' ', QStringLiteral("\\040"));
    return QStringLiteral("26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                          "40 26 0:99 / %1 rw,relatime shared:1 - vfat %2 rw\n")
        .arg(escaped, image)
        .toUtf8();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

int fileMode(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

qint64 modificationSeconds(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return qint64(info.st_mtim.tv_sec);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &m_previous);
    struct rlimit limit = m_previous;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_previous);
}

UmaskScope::UmaskScope(mode_t mask) : m_previous(::umask(mask)) {}

UmaskScope::~UmaskScope()
{
    ::umask(m_previous);
}

} // namespace TestSupport
