#pragma once
// An initialisation file (sections in brackets, key=value lines) read and written with the rules
// of the old platform's profile functions, so files written there read the same here:
// section and key names ignore case, values lose blanks at both ends and one pair of enclosing
// quotes, at most 2047 characters are read back, integers may be decimal or "0x"/"$" hexadecimal.
//
// Writes are staged and reach the disk at flush(), which rewrites the whole file under a temporary
// name and renames it over the old one: a failed write leaves the previous file whole.
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class ProfileFile {
public:
    explicit ProfileFile(QString path);

    const QString &path() const { return m_path; }
    // Reads the file again (a missing file reads as empty).
    void reload();

    std::optional<QString> value(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // An integer of which only the lowest 8 bits count: 0 is false.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // Merges the staged writes into the file as it is on disk now and saves it.
    // Throws LumaroError "Impossible d'écrire dans <path>" when it cannot be saved.
    void flush();

    // The text integer rules on their own: decimal with an optional sign, or hexadecimal after
    // "0x", "0X" or "$". Empty when the text is not such a number.
    static std::optional<int> parseInteger(const QString &text);

    static constexpr int MaxValueLength = 2047;

private:
    struct Write {
        QString section, key, value;
    };
    static void apply(QStringList &lines, const Write &write);

    QString m_path;
    QStringList m_lines;
    std::vector<Write> m_pending;
};
