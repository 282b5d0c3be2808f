#pragma once
// Owns one TurboJPEG instance for the length of one operation (private to the imaging layer).
#include "core/imaging/imaging.h"

#include <turbojpeg.h>

namespace Imaging::Detail {

class TurboJpegHandle {
public:
    enum class Kind { Decompress, Compress, Transform };

    explicit TurboJpegHandle(Kind kind)
        : m_handle(kind == Kind::Decompress ? tjInitDecompress()
                   : kind == Kind::Compress ? tjInitCompress()
                                            : tjInitTransform())
    {
        if (!m_handle)
            throw ImagingError(ErrorCode::OutOfMemory);
    }
    ~TurboJpegHandle() { tjDestroy(m_handle); }
    TurboJpegHandle(const TurboJpegHandle &) = delete;
    TurboJpegHandle &operator=(const TurboJpegHandle &) = delete;

    tjhandle get() const { return m_handle; }
    // A failure that libjpeg-turbo only warns about (a truncated scan, stray bytes): the
    // picture is complete enough to be used.
    bool lastErrorIsWarning() const { return tjGetErrorCode(m_handle) == TJERR_WARNING; }
    // libjpeg-turbo's own words for the last error or warning, without its function prefix.
    QString lastErrorText() const
    {
        QString text = QString::fromLatin1(tjGetErrorStr2(m_handle));
        const qsizetype prefix = text.indexOf(QLatin1String("(): "));
        return prefix >= 0 ? text.mid(prefix + 4) : text;
    }

private:
    tjhandle m_handle;
};

// A buffer that TurboJPEG allocated and that must go back to it.
class TurboJpegBuffer {
public:
    TurboJpegBuffer() = default;
    ~TurboJpegBuffer() { tjFree(m_data); }
    TurboJpegBuffer(const TurboJpegBuffer &) = delete;
    TurboJpegBuffer &operator=(const TurboJpegBuffer &) = delete;

    unsigned char **dataPointer() { return &m_data; }
    unsigned long *sizePointer() { return &m_size; }
    QByteArray toByteArray() const
    {
        return m_data ? QByteArray(reinterpret_cast<const char *>(m_data), qsizetype(m_size)) : QByteArray();
    }

private:
    unsigned char *m_data = nullptr;
    unsigned long m_size = 0;
};

} // namespace Imaging::Detail
