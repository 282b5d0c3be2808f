#pragma once
// A web server on the loopback interface for the version-check tests: it answers each request
// with the raw HTTP answer the test set, or stalls (accepts and never answers).
#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

class LocalHttpServer {
public:
    LocalHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n") || m_stall)
                        return;
                    ++m_requests;
                    const QByteArray path = m_request.split(' ').value(1);
                    m_request.clear();
                    socket->write(path == "/moved-here" ? m_afterRedirect : m_answer);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    bool listening() const { return m_server.isListening(); }
    QString address(const QString &path = QStringLiteral("/versions.txt")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }

    static QByteArray answer(int status, const QByteArray &body, const QByteArray &headers = QByteArray())
    {
        return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: " + QByteArray::number(body.size())
               + "\r\nConnection: close\r\n" + headers + "\r\n" + body;
    }
    static QByteArray versionFile(const QByteArray &version, const QByteArray &address)
    {
        return "[CurrentVersions]\r\nLumaro=" + version + "\r\n[DownloadURL]\r\nLumaro=" + address + "\r\n";
    }

    void answerWith(const QByteArray &answer) { m_answer = answer; m_stall = false; }
    // What /moved-here answers, for redirects within the server.
    void afterRedirectAnswer(const QByteArray &answer) { m_afterRedirect = answer; }
    void stall() { m_stall = true; }
    int requests() const { return m_requests; }

private:
    QTcpServer m_server;
    QByteArray m_request;
    QByteArray m_answer;
    QByteArray m_afterRedirect;
    bool m_stall = false;
    int m_requests = 0;
};
