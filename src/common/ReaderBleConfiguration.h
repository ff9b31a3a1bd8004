#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/BleDataType.h"

namespace TavCommon {

// One BLE data blob of a reader with its data type, as the BLE HWG file and the BLE blob operations
// exchange it.
#pragma pack(push, 1)
struct ReaderBleConfiguration {
    static constexpr std::size_t kMaxDataSize = 384;

    BleDataType DataType{};
    uint16_t DataLength{};  // valid bytes in Data, 0..384
    uint8_t Data[kMaxDataSize]{};

    ReaderBleConfiguration& SetBleDataType(BleDataType type);
    // Stores up to 384 bytes and clears the rest of Data; more throw ElvarinException and change nothing.
    ReaderBleConfiguration& SetBleData(const std::vector<uint8_t>& data);
    // The first DataLength bytes. A DataLength above 384 (written into the record directly) throws
    // ElvarinException rather than reading past Data.
    std::vector<uint8_t> ToVector() const;
    // Data type, DataLength and the valid bytes; bytes beyond DataLength do not count.
    bool operator==(const ReaderBleConfiguration& other) const;
    bool operator!=(const ReaderBleConfiguration& other) const { return !(*this == other); }
};
#pragma pack(pop)

static_assert(offsetof(ReaderBleConfiguration, DataLength) == 1);
static_assert(offsetof(ReaderBleConfiguration, Data) == 3);
static_assert(sizeof(ReaderBleConfiguration) == 387);

}  // namespace TavCommon
