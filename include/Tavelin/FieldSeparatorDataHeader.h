#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace TavCommon {

// Header of an extended configuration: the structure version, the sizes of the header and of each
// entry kind, the entry counts and the storage size in units of 8 bytes.
struct TAV_API FieldSeparatorDataHeader {
    static constexpr std::size_t kWireSize = 4;

    uint8_t StructureVersion{};     // >= 1
    uint8_t HeaderSize{};           // 4
    uint8_t FieldEntrySize{};       // 4; the wire holds half of it
    uint8_t FieldEntryCount{};      // 0..31
    uint8_t SeparatorEntrySize{};   // 2; the wire holds half of it
    uint8_t SeparatorEntryCount{};  // 0..31
    uint8_t MaxStorageSize{};       // 16

    // Four bytes; each member cut to its wire bits.
    std::vector<uint8_t> ToVector() const;
    // Decodes the first four bytes; fewer throw ElvarinException.
    static FieldSeparatorDataHeader FromVector(std::span<const uint8_t> bytes);
    // Throws ElvarinException at the first member a reader would not accept.
    void Validate() const;
    bool operator==(const FieldSeparatorDataHeader& other) const;
    bool operator!=(const FieldSeparatorDataHeader& other) const { return !(*this == other); }
};

static_assert(sizeof(FieldSeparatorDataHeader) == 7);

}  // namespace TavCommon
