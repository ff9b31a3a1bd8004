#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Tavelin/ApplicationData.h"
#include "Tavelin/FieldEntry.h"
#include "Tavelin/FieldSeparatorDataHeader.h"
#include "Tavelin/SeparatorEntry.h"

namespace TavCommon {

// The extended part of a reader configuration: output-field and separator definitions that shape the
// card data a reader sends. On the reader it is a 128-byte image: header, field entries, separator
// entries, their characters, 0xFF filler, and the application data in the last two bytes.
struct TAV_API ExtendedConfiguration {
    static constexpr std::size_t kWireSize = 128;
    static constexpr std::size_t kMaxFieldEntries = 31;
    static constexpr std::size_t kMaxSeparatorEntries = 31;
    // Header, entries and characters must end before the application data.
    static constexpr std::size_t kContentLimit = kWireSize - TavCommon::ApplicationData::kWireSize;

    FieldSeparatorDataHeader Header;
    FieldEntry FieldEntries[kMaxFieldEntries]{};
    SeparatorEntry SeparatorEntries[kMaxSeparatorEntries]{};
    TavCommon::ApplicationData ApplicationData;

    // The 128-byte image. Throws ElvarinException, writing nothing, when a count exceeds 31, a
    // character size is not 1 or 2, or the content would not fit before the application data.
    std::vector<uint8_t> ToVector() const;
    // Decodes an image of at least 128 bytes, the application data from its last two. Every entry and
    // character is checked against the image's size first: counts and sizes that run past its end
    // (an erased, all-0xFF store does) throw ElvarinException.
    static ExtendedConfiguration FromVector(std::span<const uint8_t> bytes);
    // Headers, the entries in use and the application data.
    bool operator==(const ExtendedConfiguration& other) const;
    bool operator!=(const ExtendedConfiguration& other) const { return !(*this == other); }
};

static_assert(offsetof(ExtendedConfiguration, FieldEntries) == 7);
static_assert(offsetof(ExtendedConfiguration, SeparatorEntries) == 7 + 31 * 12);
static_assert(offsetof(ExtendedConfiguration, ApplicationData) == 7 + 31 * 12 + 31 * 66);
static_assert(sizeof(ExtendedConfiguration) == 2428);

}  // namespace TavCommon
