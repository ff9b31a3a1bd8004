// Whatever a feature-report reader answers, every command's checks and decoders either accept it
// or fail with the library's own exception; none reads past a reply, none sends a phrase longer
// than a feature report, and none exchanges for ever.
// Input: the command's name and a NUL, an argument byte, then the replies, each a length byte and
// its bytes.
#include <cstddef>
#include <cstdint>

#include "FuzzReplyTransport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TavFuzz::RunCatalogueCommand(TavTest::Wire::FeatureReport, data, size,
                                 [](std::span<const uint8_t> replies) { return TavFuzz::FuzzReplyTransport(replies, 8); });
    return 0;
}
