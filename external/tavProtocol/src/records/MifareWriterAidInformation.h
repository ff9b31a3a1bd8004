#pragma once

#include <cstdint>

namespace TavProtocol {

// An application to create on a MIFARE card. Byte4 goes to the reader unchanged.
struct MifareWriterAidInformation {
    uint32_t Aid = 0;  // 0x00000000 to 0x00FFFFFF
    uint8_t Byte4 = 0;
    uint8_t CardKeyNo = 0;      // 0 to 14
    uint8_t OperationType = 0;  // 0 to 2
    uint8_t KeyType = 0;        // 4 or 12
};
static_assert(sizeof(MifareWriterAidInformation) == 8);

}  // namespace TavProtocol
