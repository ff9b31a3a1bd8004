#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// What a queued-id read passes to the reader: the flag byte of its last phrase.
struct QueuedIdFlagParameters {
    uint8_t Flags = 0;
};

}  // namespace TavProtocol
