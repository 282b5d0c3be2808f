#include "cli/output.h"

#include "core/files/filename.h"

#include <cstdio>

namespace {

void writeTo(std::FILE *stream, const QString &text)
{
    // FileName's encoding is UTF-8 for every character but those that stand for a byte of a
    // name, which become that byte again.
    const QByteArray bytes = FileName::encode(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

void writeOut(const QString &text)
{
    writeTo(stdout, text);
}

void writeError(const QString &text)
{
    writeTo(stderr, text);
}

void printLine(const QString &text)
{
    writeTo(stdout, text + u'\n');
}

void printErrorLine(const QString &text)
{
    writeTo(stderr, text + u'\n');
}

void flushOut()
{
    std::fflush(stdout);
}
