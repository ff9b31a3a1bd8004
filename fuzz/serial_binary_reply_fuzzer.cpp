// Any serial-binary replies, of any length, are checked or decoded without reading past them, and
// every exchange ends: the paged reads after 256 phrases at most.
// Input: the command's name and a NUL, an argument byte, then the replies, each a length byte and
// its bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "FuzzReplyTransport.h"
#include "Tavelin/ElvarinException.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TavFuzz::RunCatalogueCommand(TavTest::Wire::SerialBinary, data, size,
                                 [](std::span<const uint8_t> replies) { return TavFuzz::SerialFuzzTransport(replies); });
    return 0;
}
