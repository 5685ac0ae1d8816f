// Decodes arbitrary bytes as a record. Beyond staying inside the buffer (the
// sanitizers watch that), whatever decodes must survive a round trip: encoded
// again and decoded, it is the same record, and re-encoding is stable. A
// record decoded over the previous input's record (reused storage) must equal
// one decoded fresh.
#include "agent/channel/CWebInfo.h"
#include "agent/channel/WebInfoDump.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CWebInfo info;
    const WebInfoDecodeResult result = info.Deserialize(std::span<const uint8_t>(data, size));
    if (result.consumed > size) {
        std::abort();
    }
    // Kept from one input to the next, as a receiver keeps its record.
    static CWebInfo reused;
    const WebInfoDecodeResult over = reused.Deserialize(std::span<const uint8_t>(data, size));
    if (over.status != result.status || over.consumed != result.consumed || !(reused == info) ||
        DumpWebInfo(reused) != DumpWebInfo(info)) {
        std::abort();
    }
    (void)DumpWebInfo(info);

    // Also a partly decoded record: what was kept must encode and come back.
    std::vector<uint8_t> encoded;
    if (!info.Serialize(encoded)) {
        std::abort();
    }
    CWebInfo again;
    const WebInfoDecodeResult second = again.Deserialize(encoded);
    if (!second.Succeeded() || second.consumed != encoded.size() || !(again == info)) {
        std::abort();
    }
    std::vector<uint8_t> reencoded;
    if (!again.Serialize(reencoded) || reencoded != encoded) {
        std::abort();
    }
    return 0;
}
