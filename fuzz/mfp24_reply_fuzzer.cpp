// Any MFP24 replies are checked or decoded without reading past them; the card-type paging ends.
// Input: the command's name and a NUL, an argument byte, then the replies, each a length byte and
// its bytes.
#include <cstddef>
#include <cstdint>

#include "FuzzReplyTransport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TavFuzz::RunCatalogueCommand(TavTest::Wire::Mfp24, data, size,
                                 [](std::span<const uint8_t> replies) { return TavFuzz::FuzzReplyTransport(replies, 24); });
    return 0;
}
