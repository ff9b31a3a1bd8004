#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

namespace TavCommon {

// Header of a blob moved by the get-blob and set-blob commands. Bytes 1 and 4 are carried unchanged.
#pragma pack(push, 1)
struct BlobHeader {
    uint8_t BlobType{};
    uint8_t HeaderByte1{};
    uint16_t DataLength{};  // data bytes that follow the header
    uint8_t HeaderByte4{};

    bool operator==(const BlobHeader& other) const {
        return BlobType == other.BlobType && HeaderByte1 == other.HeaderByte1 && DataLength == other.DataLength &&
               HeaderByte4 == other.HeaderByte4;
    }
    bool operator!=(const BlobHeader& other) const { return !(*this == other); }
};
#pragma pack(pop)

static_assert(offsetof(BlobHeader, DataLength) == 2);
static_assert(offsetof(BlobHeader, HeaderByte4) == 4);
static_assert(sizeof(BlobHeader) == 5);

}  // namespace TavCommon
