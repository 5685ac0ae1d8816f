// The reply checks shared by the request fuzzers.
#pragma once

#include "agent/channel/CWebInfo.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace fuzz {

// Aborts unless the reply encodes, and its encoding decodes whole back to an
// equal record: whatever a row wrote into it can travel to the tool.
inline void CheckRoundTrip(const CWebInfo& record) {
    std::vector<uint8_t> encoded;
    if (!record.Serialize(encoded))
        std::abort();
    CWebInfo decoded;
    const WebInfoDecodeResult result = decoded.Deserialize(encoded);
    if (!result.Succeeded() || result.consumed != encoded.size() || !(decoded == record))
        std::abort();
}

} // namespace fuzz
