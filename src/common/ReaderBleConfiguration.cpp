#include "common/ReaderBleConfiguration.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

ReaderBleConfiguration& ReaderBleConfiguration::SetBleDataType(BleDataType type) {
    DataType = type;
    return *this;
}

ReaderBleConfiguration& ReaderBleConfiguration::SetBleData(const std::vector<uint8_t>& data) {
    if (data.size() > kMaxDataSize) {
        TAV_THROW(ElvarinException,
                  fmt::format("BLE data size ({}) exceeds maximum allowed size ({})", data.size(), kMaxDataSize));
    }
    DataLength = static_cast<uint16_t>(data.size());
    std::memset(Data, 0, sizeof Data);
    std::copy(data.begin(), data.end(), Data);
    return *this;
}

std::vector<uint8_t> ReaderBleConfiguration::ToVector() const {
    if (DataLength > kMaxDataSize) {
        TAV_THROW(ElvarinException, fmt::format("BLE data length ({}) exceeds maximum allowed size ({})",
                                                uint16_t{DataLength}, kMaxDataSize));
    }
    return std::vector<uint8_t>(Data, Data + DataLength);
}

bool ReaderBleConfiguration::operator==(const ReaderBleConfiguration& other) const {
    if (DataType != other.DataType || DataLength != other.DataLength) {
        return false;
    }
    const std::size_t valid = std::min<std::size_t>(DataLength, kMaxDataSize);
    return std::equal(Data, Data + valid, other.Data);
}

}  // namespace TavCommon
