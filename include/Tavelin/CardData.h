#pragma once

#include "Tavelin/Export.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Tav {

// One card read: the bytes the reader delivered and the number of valid bits.
class TAV_API CardData {
public:
    CardData() = default;
    CardData(std::vector<uint8_t> bytes, uint32_t bits) : data(std::move(bytes)), bitCount(bits) {}

    std::string AsString() const;
    const uint8_t* AsByteArray() const;
    bool IsEmpty() const;
    bool operator==(const CardData& other) const;

    std::vector<uint8_t> data;
    uint32_t bitCount = 0;
};

}  // namespace Tav
