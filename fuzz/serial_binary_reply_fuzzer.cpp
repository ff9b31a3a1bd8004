// Any serial-binary replies, of any length, are checked or decoded without reading past them, and
// every exchange ends: the paged reads after 256 phrases at most.
// Input: a command selector, an argument byte, then the replies, each a length byte and its bytes.
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

namespace {

// A serial reader whose replies come from a ReplyFeed, whatever length was asked for (a serial
// receive returns what arrived). Every phrase must be a frame or the LUID's data phrase.
class SerialFuzzTransport : public TavTransport::Transport {
public:
    explicit SerialFuzzTransport(std::span<const uint8_t> replies)
        : Transport(TavFuzz::ZeroDefinition()), replies_(replies) {}

    void init(uint32_t) override {}
    void transmit(TavTransport::TransportPayload& payload) override {
        const bool frame = payload.data.size() >= 5 && payload.data[0] == 0xFA;
        const bool luidData = payload.data.size() == 2;
        if (payload.data.size() != payload.length || !(frame || luidData) || ++phrases_ > kPhraseLimit) {
            std::abort();
        }
    }
    std::vector<uint8_t> receive(TavTransport::TransportPayload&) override { return replies_.Next(); }

private:
    // Two paged reads of 256 phrases each and everything else: far below this.
    static constexpr std::size_t kPhraseLimit = 1024;

    TavFuzz::ReplyFeed replies_;
    std::size_t phrases_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TavFuzz::RunCatalogueCommand(TavTest::WireProtocol::SerialBinary, data, size,
                                 [](std::span<const uint8_t> replies) { return SerialFuzzTransport(replies); });
    return 0;
}
