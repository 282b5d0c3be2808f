#pragma once
// The file a request is about, as the readers see it: a file opened by its path, or bytes the
// program sent. Reads never go past the end and never block on anything but a regular file.
#include "core/files/posixfile.h"

#include <QByteArray>
#include <QString>

#include <optional>

class ProbeInput {
public:
    // The file at an encoded path, opened for reading; nothing, with a French reason, when it
    // is missing, not a regular file or empty.
    static std::optional<ProbeInput> openFile(const QByteArray &encodedPath, QString *failure);
    static ProbeInput fromBytes(QByteArray bytes);

    qint64 size() const { return m_size; }
    // Copies up to `size` bytes from `offset`; the number copied (0 at or past the end, -1 on
    // a read error).
    qint64 read(qint64 offset, char *buffer, qint64 size) const;

    bool isFile() const { return m_fd.isOpen(); }
    // A file's descriptor, open for reading; -1 for bytes sent.
    int descriptor() const { return m_fd.get(); }
    // The encoded path of a file (for the readers that open it by name themselves).
    const QByteArray &path() const { return m_path; }
    // The content of a file sent in memory.
    const QByteArray &bytes() const { return m_bytes; }

private:
    ProbeInput() = default;

    PosixFile::Descriptor m_fd;
    QByteArray m_head; // a file's first bytes, where the parsers read their boxes a few at a time
    QByteArray m_path;
    QByteArray m_bytes;
    qint64 m_size = 0;
};
