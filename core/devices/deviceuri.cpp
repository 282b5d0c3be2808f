#include "core/devices/deviceuri.h"

#include "core/files/filename.h"
#include "core/files/filesystem.h"

#include <cstring>

namespace {

const QString Gphoto2Prefix = QStringLiteral("gphoto2://");
const QString MtpPrefix = QStringLiteral("mtp://");

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%XX" becomes the byte XX; a "%" that starts no such pair stays as it is, as a browser
// leaves it, so that a hand-typed name with a "%" still reaches its file. The other characters
// stand for their own bytes (UTF-8, or the bytes FileName's escapes keep).
QString percentDecoded(const QString &text)
{
    const QByteArray bytes = FileName::encode(text);
    QByteArray decoded;
    decoded.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size() && hexValue(bytes[i + 1]) >= 0 && hexValue(bytes[i + 2]) >= 0) {
            decoded.append(char(hexValue(bytes[i + 1]) * 16 + hexValue(bytes[i + 2])));
            i += 2;
        } else {
            decoded.append(bytes[i]);
        }
    }
    return FileName::decode(decoded);
}

bool isUnreserved(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
           || c == '_' || c == '~';
}

// Every byte of the name but the unreserved ones and `kept` as "%XX".
QString percentEncoded(const QString &text, const char *kept)
{
    static const char Hex[] = "0123456789ABCDEF";
    const QByteArray bytes = FileName::encode(text);
    QString encoded;
    encoded.reserve(bytes.size());
    for (const char c : bytes) {
        if (isUnreserved(c) || (c != '\0' && std::strchr(kept, c))) {
            encoded.append(QLatin1Char(c));
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded.append(u'%');
            encoded.append(QLatin1Char(Hex[byte >> 4]));
            encoded.append(QLatin1Char(Hex[byte & 15]));
        }
    }
    return encoded;
}

// Cleaned, starting with "/": ".." never leaves the root.
QString cleanedDevicePath(const QString &path)
{
    return FileSystem::cleanPath(u'/' + path);
}

} // namespace

bool DeviceUri::isDeviceText(const QString &text)
{
    return text.startsWith(Gphoto2Prefix, Qt::CaseInsensitive) || text.startsWith(MtpPrefix, Qt::CaseInsensitive);
}

std::optional<DeviceUri> DeviceUri::parse(const QString &text)
{
    DeviceUri uri;
    QString rest;
    if (text.startsWith(Gphoto2Prefix, Qt::CaseInsensitive)) {
        uri.m_scheme = Scheme::Gphoto2;
        rest = text.mid(Gphoto2Prefix.size());
    } else if (text.startsWith(MtpPrefix, Qt::CaseInsensitive)) {
        uri.m_scheme = Scheme::Mtp;
        rest = text.mid(MtpPrefix.size());
    } else if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        rest = text.mid(5);
        if (rest.startsWith(QLatin1String("//"))) {
            rest = rest.mid(2);
            // The host: none, or this machine.
            const qsizetype slash = rest.indexOf(u'/');
            const QString host = slash < 0 ? rest : rest.left(slash);
            if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
                return std::nullopt;
            rest = slash < 0 ? QString() : rest.mid(slash);
        }
        if (!rest.startsWith(u'/'))
            return std::nullopt;
        uri.m_path = FileSystem::cleanPath(percentDecoded(rest));
        return uri;
    } else {
        return std::nullopt;
    }

    // A port in brackets up to the first "]", or a name up to the first "/".
    qsizetype end;
    if (rest.startsWith(u'[')) {
        end = rest.indexOf(u']');
        if (end < 0)
            return std::nullopt;
        uri.m_port = percentDecoded(rest.mid(1, end - 1));
        ++end;
        if (!uri.m_port.contains(u':') || uri.m_port.startsWith(u':'))
            return std::nullopt;
    } else {
        end = rest.indexOf(u'/');
        if (end < 0)
            end = rest.size();
        uri.m_name = percentDecoded(rest.left(end));
        if (uri.m_name.isEmpty())
            return std::nullopt;
    }
    const QString path = rest.mid(end);
    if (!path.isEmpty() && !path.startsWith(u'/'))
        return std::nullopt;
    uri.m_path = cleanedDevicePath(percentDecoded(path));
    return uri;
}

DeviceUri DeviceUri::fromPort(const QString &port, const QString &path, Scheme scheme)
{
    DeviceUri uri;
    uri.m_scheme = scheme == Scheme::File ? Scheme::Gphoto2 : scheme;
    uri.m_port = port;
    uri.m_path = cleanedDevicePath(path);
    return uri;
}

DeviceUri DeviceUri::fromName(const QString &name, const QString &path, Scheme scheme)
{
    DeviceUri uri;
    uri.m_scheme = scheme == Scheme::File ? Scheme::Mtp : scheme;
    uri.m_name = name;
    uri.m_path = cleanedDevicePath(path);
    return uri;
}

DeviceUri DeviceUri::fromLocalPath(const QString &path)
{
    DeviceUri uri;
    uri.m_scheme = Scheme::File;
    uri.m_path = FileSystem::absolutePath(path);
    return uri;
}

QString DeviceUri::diskFolder() const
{
    if (m_scheme == Scheme::File || !m_port.startsWith(QLatin1String("disk:")))
        return QString();
    return m_port.mid(5);
}

DeviceUri DeviceUri::withPath(const QString &path) const
{
    DeviceUri uri = *this;
    uri.m_path = m_scheme == Scheme::File ? FileSystem::absolutePath(path) : cleanedDevicePath(path);
    return uri;
}

DeviceUri DeviceUri::child(const QString &name) const
{
    return withPath(m_path + u'/' + name);
}

bool DeviceUri::sameDevice(const DeviceUri &other) const
{
    return m_scheme == other.m_scheme && m_port == other.m_port && m_name == other.m_name;
}

QString DeviceUri::toString() const
{
    // Kept as they are: the path separator, and the characters of a port ("usb:002,005").
    const QString path = percentEncoded(m_path, "/:@!$&'()*+,;=");
    switch (m_scheme) {
    case Scheme::File:
        return QStringLiteral("file://") + path;
    case Scheme::Gphoto2:
    case Scheme::Mtp:
        break;
    }
    const QString device = m_port.isEmpty() ? percentEncoded(m_name, "!$&'()*+,;=:@")
                                            : u'[' + percentEncoded(m_port, "/:,@") + u']';
    return (m_scheme == Scheme::Gphoto2 ? Gphoto2Prefix : MtpPrefix) + device + path;
}
