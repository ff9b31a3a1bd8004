#pragma once

#include <cstdint>

namespace TavProtocol {

#pragma pack(push, 1)
// The reader's answer about its configurations (5 bytes). The library reads only the
// configuration count; the other values go to callers as the reader sends them.
struct ActiveConfigurationInformation {
    uint8_t FirstValue;
    uint8_t ConfigurationCount;
    uint16_t WordValue;
    uint8_t LastValue;
};
#pragma pack(pop)
static_assert(sizeof(ActiveConfigurationInformation) == 5);

}  // namespace TavProtocol
