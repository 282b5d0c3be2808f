#include "core/devices/deviceidentity.h"

#include <xxhash.h>

QString DeviceIdentity::text() const
{
    if (hasSerial())
        return serial;
    return model + u' ' + port;
}

quint32 DeviceIdentity::number() const
{
    const QByteArray bytes = text().toUtf8();
    return XXH32(bytes.constData(), std::size_t(bytes.size()), 0);
}

QString DeviceIdentity::cleanSerial(const QString &serial)
{
    const QString trimmed = serial.trimmed();
    for (const QChar c : trimmed)
        if (c != u'0' && !c.isSpace())
            return trimmed;
    return QString();
}
