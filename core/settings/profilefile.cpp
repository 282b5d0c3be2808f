#include "core/settings/profilefile.h"

#include "core/error.h"
#include "core/files/filereplacement.h"
#include "core/files/filesystem.h"
#include "core/files/textfile.h"

namespace {

bool isSectionLine(const QString &trimmed, QString *name = nullptr)
{
    if (!trimmed.startsWith(u'['))
        return false;
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return false;
    if (name)
        *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

// Key part of a "key=value" line, or empty when the line holds no "=".
bool splitEntry(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    if (value)
        *value = line.mid(eq + 1);
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString cleanValue(QString raw)
{
    raw = raw.trimmed();
    if (raw.size() >= 2) {
        const QChar first = raw.front();
        if ((first == u'"' || first == u'\'') && raw.back() == first)
            raw = raw.mid(1, raw.size() - 2);
    }
    if (raw.size() > ProfileFile::MaxValueLength)
        raw.truncate(ProfileFile::MaxValueLength);
    return raw;
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path))
{
    reload();
}

void ProfileFile::reload()
{
    QString text;
    m_lines = TextFile::read(m_path, text) ? TextFile::splitLines(text) : QStringList();
}

std::optional<QString> ProfileFile::value(const QString &section, const QString &key) const
{
    bool inSection = false;
    for (const QString &line : m_lines) {
        const QString trimmed = line.trimmed();
        QString name;
        if (isSectionLine(trimmed, &name)) {
            inSection = sameName(name, section);
            continue;
        }
        QString entryKey, entryValue;
        if (inSection && splitEntry(line, &entryKey, &entryValue) && sameName(entryKey, key))
            return cleanValue(entryValue);
    }
    return std::nullopt;
}

QString ProfileFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

std::optional<int> ProfileFile::parseInteger(const QString &text)
{
    QString t = text;
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.front() == u'-';
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty())
        return std::nullopt;
    for (QChar c : t) {
        const bool ok = base == 10 ? c.isDigit() && c.unicode() < 128 : QStringLiteral("0123456789abcdefABCDEF").contains(c);
        if (!ok)
            return std::nullopt;
    }
    bool ok = false;
    const qulonglong magnitude = t.toULongLong(&ok, base);
    if (!ok)
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal fills the 32 bits: $FFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        const int bits = int(quint32(magnitude));
        return negative ? -bits : bits;
    }
    const long long signedValue = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (magnitude > 0x80000000ull || signedValue > INT_MAX || signedValue < INT_MIN)
        return std::nullopt;
    return int(signedValue);
}

int ProfileFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const std::optional<QString> text = value(section, key);
    if (!text)
        return defaultValue;
    return parseInteger(*text).value_or(defaultValue);
}

bool ProfileFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return (readInteger(section, key, defaultValue ? 1 : 0) & 0xFF) != 0;
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    m_pending.push_back({section, key, value});
}

void ProfileFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void ProfileFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeInteger(section, key, value ? 1 : 0);
}

void ProfileFile::apply(QStringList &lines, const Write &write)
{
    const QString newLine = write.key + u'=' + write.value;
    qsizetype sectionStart = -1; // index of the section header
    qsizetype lastEntry = -1;    // last non-blank line of that section
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines[i].trimmed();
        QString name;
        if (isSectionLine(trimmed, &name)) {
            if (sectionStart >= 0)
                break;
            if (sameName(name, write.section)) {
                sectionStart = i;
                lastEntry = i;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        QString key;
        if (splitEntry(lines[i], &key, nullptr) && sameName(key, write.key)) {
            lines[i] = newLine;
            return;
        }
        if (!trimmed.isEmpty())
            lastEntry = i;
    }
    if (sectionStart >= 0) {
        lines.insert(lastEntry + 1, newLine);
        return;
    }
    if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
        lines.append(QString());
    lines.append(u'[' + write.section + u']');
    lines.append(newLine);
}

void ProfileFile::flush()
{
    reload();
    for (const Write &write : m_pending)
        apply(m_lines, write);
    m_pending.clear();
    const bool saved = FileSystem::makeFolders(FileSystem::folderOf(FileSystem::absolutePath(m_path)))
                       && FileReplacement::writeWhole(m_path, TextFile::joinCrlf(m_lines));
    if (!saved) {
        reload();
        throw LumaroError(QStringLiteral("Impossible d'écrire dans %1").arg(m_path));
    }
}
