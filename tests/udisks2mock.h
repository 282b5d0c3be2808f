#pragma once
// A UDisks2 of python3-dbusmock (the template core/udisks2_mock.py) on a test's private bus, with
// the volumes a test describes; stopped with the object.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <memory>

class UDisks2Mock {
public:
    static QString python() { return QStringLiteral("/usr/bin/python3"); } // the system's, with python3-dbusmock
    static QString service() { return QStringLiteral("org.freedesktop.UDisks2"); }

    ~UDisks2Mock() { stop(); }

    // Starts the daemon on the bus at that address; false when it did not come up.
    [[nodiscard]] bool start(const QString &busAddress, const QDBusConnection &bus, const QJsonArray &volumes)
    {
        stop();
        m_process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        m_process->setProcessEnvironment(environment);
        m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QByteArray parameters = QJsonDocument(QJsonObject{{QStringLiteral("volumes"), volumes}}).toJson(QJsonDocument::Compact);
        m_process->start(python(), {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                                    QStringLiteral("-t"), QStringLiteral(LUMARO_UDISKS2_MOCK), QStringLiteral("-p"),
                                    QString::fromUtf8(parameters)});
        if (!m_process->waitForStarted())
            return false;
        for (int i = 0; i < 200; ++i) {
            if (bus.interface()->isServiceRegistered(service()))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    void stop()
    {
        if (!m_process)
            return;
        m_process->terminate();
        if (!m_process->waitForFinished(5000))
            m_process->kill();
        m_process->waitForFinished();
        m_process.reset();
    }

private:
    std::unique_ptr<QProcess> m_process;
};
