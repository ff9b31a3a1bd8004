#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavCommon {

// Which BLE blob a read or write addresses. Any other value addresses the key blob.
enum class BleDataType : uint8_t {
    Data = 1,            // 384 bytes in three blocks
    Key = 2,             // 128 bytes
    UnencryptedKey = 3,  // 16 bytes, write only
};

}  // namespace TavCommon
