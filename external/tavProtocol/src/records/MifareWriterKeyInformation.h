#pragma once

#include <cstdint>

namespace TavProtocol {

// A card key to change. Byte1 and Byte2 go to the reader unchanged.
struct MifareWriterKeyInformation {
    uint8_t CardKeyNumber = 0;  // 0 to 14
    uint8_t Byte1 = 0;
    uint8_t Byte2 = 0;
    uint8_t FeatureFlag = 0;  // 0 or 2
};
static_assert(sizeof(MifareWriterKeyInformation) == 4);

}  // namespace TavProtocol
