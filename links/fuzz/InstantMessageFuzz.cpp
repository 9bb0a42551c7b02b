// libFuzzer entry for the instant-message record: the input is what a peer writes, arriving in
// pieces as the listener reads it. Each longer prefix is parsed again, as the listener does after
// every read; parsing must end normally, and once a prefix holds a damaged record no longer prefix
// may say otherwise, while a complete one turns damaged as soon as a byte follows it. A complete
// record stores back to bytes that parse to the same texts.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "links/InstantMessageRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > static_cast<size_t>(kInstantMessageMaxRecord) + 1)
        return 0;
    std::vector<BYTE> buffer;
    InstantMessageParse settled = InstantMessageParse::incomplete;
    InstantMessageRecord first;
    bool completeSeen = false;
    // The first byte chooses the size of the pieces.
    const size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
    for (size_t at = 0; at < size; at += piece) {
        const size_t end = at + piece < size ? at + piece : size;
        buffer.insert(buffer.end(), data + at, data + end);
        InstantMessageRecord record;
        InstantMessageParse result = ParseInstantMessage(buffer, record);
        if (settled == InstantMessageParse::incomplete) {
            settled = result;
            if (result == InstantMessageParse::complete) {
                first = record;
                completeSeen = true;
            }
        } else if (result != InstantMessageParse::damaged) {
            std::abort(); // past a complete or a damaged prefix, more bytes are only damage
        } else {
            settled = result;
        }
    }
    if (completeSeen) {
        InstantMessageRecord again;
        if (ParseInstantMessage(StoreInstantMessage(first), again) != InstantMessageParse::complete ||
            again.content != first.content || again.sender != first.sender ||
            again.subject != first.subject)
            std::abort();
    }
    return 0;
}
