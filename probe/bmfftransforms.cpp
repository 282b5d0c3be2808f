#include "probe/bmfftransforms.h"

#include <QtEndian>

#include <cstring>
#include <optional>

namespace BmffTransforms {

namespace {

constexpr int MaximumBoxesPerLevel = 4096;

struct Box {
    char type[4];
    qint64 contentStart;
    qint64 end;
};

// The box starting at `offset` within [offset, parentEnd); nothing when its header does not
// read or its size does not fit.
std::optional<Box> boxAt(const ProbeInput &input, qint64 offset, qint64 parentEnd)
{
    unsigned char head[16];
    if (parentEnd - offset < 8 || input.read(offset, reinterpret_cast<char *>(head), 8) != 8)
        return std::nullopt;
    Box box;
    std::memcpy(box.type, head + 4, 4);
    quint64 size = qFromBigEndian<quint32>(head);
    qint64 headerSize = 8;
    if (size == 1) { // a 64-bit size follows the type
        if (parentEnd - offset < 16 || input.read(offset + 8, reinterpret_cast<char *>(head + 8), 8) != 8)
            return std::nullopt;
        size = qFromBigEndian<quint64>(head + 8);
        headerSize = 16;
    } else if (size == 0) { // up to the end of its parent
        size = quint64(parentEnd - offset);
    }
    if (size < quint64(headerSize) || size > quint64(parentEnd - offset))
        return std::nullopt;
    box.contentStart = offset + headerSize;
    box.end = offset + qint64(size);
    return box;
}

// The first child of [start, end) with that type.
std::optional<Box> child(const ProbeInput &input, qint64 start, qint64 end, const char *type)
{
    qint64 offset = start;
    for (int i = 0; i < MaximumBoxesPerLevel && offset < end; ++i) {
        const std::optional<Box> box = boxAt(input, offset, end);
        if (!box)
            return std::nullopt;
        if (std::memcmp(box->type, type, 4) == 0)
            return box;
        offset = box->end; // strictly forward: every box is at least its header long
    }
    return std::nullopt;
}

} // namespace

bool present(const ProbeInput &input)
{
    const std::optional<Box> meta = child(input, 0, input.size(), "meta");
    if (!meta || meta->end - meta->contentStart < 4)
        return false;
    // 'meta' is a full box: a version and flags word precedes its children.
    const std::optional<Box> iprp = child(input, meta->contentStart + 4, meta->end, "iprp");
    if (!iprp)
        return false;
    const std::optional<Box> ipco = child(input, iprp->contentStart, iprp->end, "ipco");
    if (!ipco)
        return false;
    return child(input, ipco->contentStart, ipco->end, "irot").has_value()
           || child(input, ipco->contentStart, ipco->end, "imir").has_value();
}

} // namespace BmffTransforms
