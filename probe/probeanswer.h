#pragma once
// What the probe answers to one request: the file opened, the reader of its kind called, and
// whatever goes wrong inside turned into a reply with a French reason. The fuzz target calls
// this with arbitrary bytes.
#include "core/formats/probeprotocol.h"

namespace ProbeAnswer {

// Once per process, before the first request.
void prepare();

ProbeProtocol::Reply answer(const ProbeProtocol::Request &request);

} // namespace ProbeAnswer
