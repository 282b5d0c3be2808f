#pragma once
// Videos through libavformat, limited to the containers cameras and phones write (MP4/MOV/3GP,
// MPEG transport streams, AVI), with bounded probing and a deadline: the creation time (UTC in
// the file, local time here), the length and the picture size as shown.
#include "core/formats/probeprotocol.h"
#include "probe/probeinput.h"

#include <QDateTime>

#include <chrono>

namespace VideoReader {

// Once per process: libav's console messages off.
void prepare();

// Every failure, and a read that outlasts `budget`, is a reply with a French reason.
ProbeProtocol::Reply metadata(const ProbeInput &input, std::chrono::milliseconds budget);

// The local date-time of a creation time as libav writes it ("2024-07-12T08:30:00.000000Z";
// an offset such as "+02:00" is honoured, none means UTC); invalid when it does not read.
QDateTime localTimeOf(const QString &creationTime);

// "12.40 s" under a minute, "0:01:05" from a minute on.
QString durationText(qint64 milliseconds);

} // namespace VideoReader
