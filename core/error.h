#pragma once
// The one error type of the core: it carries the French message that a window shows as it stands.
#include <QString>
#include <exception>

class LumaroError : public std::exception {
public:
    explicit LumaroError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
