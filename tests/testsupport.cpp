#include "tests/testsupport.h"

#include <QDir>
#include <QLocale>
#include <QProcess>

#include <cstdlib>

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

} // namespace TestSupport
