#include "common/FirmwareVersionReply.h"

#include <fmt/format.h>

#include <cstring>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavProtocol::FirmwareVersionReply {

void RequirePhrase(std::span<const uint8_t> reply, const char* record) {
    if (reply.size() < kPhraseLength) {
        TAV_THROW(ElvarinException, fmt::format("{} needs a reply phrase of at least {} bytes, got {}", record,
                                                kPhraseLength, reply.size()));
    }
}

uint32_t VersionInWireOrder(std::span<const uint8_t> reply) {
    uint32_t version = 0;
    std::memcpy(&version, reply.data() + 4, sizeof version);
    return version;
}

uint32_t VersionMostSignificantFirst(std::span<const uint8_t> reply) {
    return uint32_t{reply[4]} << 24 | uint32_t{reply[5]} << 16 | uint32_t{reply[6]} << 8 | uint32_t{reply[7]};
}

}  // namespace TavProtocol::FirmwareVersionReply
