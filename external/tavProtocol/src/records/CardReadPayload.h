#pragma once

#include <cstdint>

namespace TavProtocol {

#pragma pack(push, 1)
// One card read whole: the bit count and the 32 card bytes (zero behind what the read yielded).
struct CardReadPayload {
    uint8_t BitCount;
    uint8_t CardData[32];
};
#pragma pack(pop)
static_assert(sizeof(CardReadPayload) == 33);

}  // namespace TavProtocol
