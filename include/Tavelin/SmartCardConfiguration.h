#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Tavelin/BlobHeader.h"

namespace TavCommon {

// One smart-card configuration blob behind its header, as the smart-card configuration file yields
// it and the set-blob and get-blob operations move it.
#pragma pack(push, 1)
struct TAV_API SmartCardConfiguration {
    static constexpr std::size_t kMaxDataSize = 1016;

    BlobHeader Header;
    uint8_t Data[kMaxDataSize]{};  // the first Header.DataLength bytes are valid

    // Checks blob type, data length and the data's size against it, all before storing anything;
    // then stores the header and copies the data over the start of Data.
    SmartCardConfiguration& SetConfiguration(const BlobHeader& header, const std::vector<uint8_t>& data);
    // The five header fields and the valid data bytes.
    bool operator==(const SmartCardConfiguration& other) const;
    bool operator!=(const SmartCardConfiguration& other) const { return !(*this == other); }
};
#pragma pack(pop)

static_assert(offsetof(SmartCardConfiguration, Data) == 5);
static_assert(sizeof(SmartCardConfiguration) == 1021);

}  // namespace TavCommon
