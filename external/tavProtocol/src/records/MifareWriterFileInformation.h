#pragma once

#include <cstdint>

namespace TavProtocol {

// A file to create on a MIFARE card. Byte0 and Byte3 go to the reader unchanged.
struct MifareWriterFileInformation {
    uint8_t Byte0 = 0;
    uint8_t FileLength = 0;  // 1 to 128
    uint8_t WriteKey = 0;    // 0 to 14
    uint8_t Byte3 = 0;
    uint8_t EncryptionMode = 0;  // 0, 1 or 3
    uint8_t FeatureFlag = 0;     // 0 or 3
};
static_assert(sizeof(MifareWriterFileInformation) == 6);

}  // namespace TavProtocol
