#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

#pragma pack(push, 1)
// A queued card id as the reader reports it (37 bytes).
struct QueuedIdInformation {
    uint8_t Data[32];
    // The reader's four bytes in the order received, not a decoded number.
    uint32_t Value;
    uint8_t LastByte;
};
#pragma pack(pop)
static_assert(sizeof(QueuedIdInformation) == 37);

}  // namespace TavProtocol
