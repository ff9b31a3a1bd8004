#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace TavCommon {

// One output-field definition of an extended configuration: which bits of the card data form the
// field and how they are converted.
struct TAV_API FieldEntry {
    static constexpr std::size_t kWireSize = 4;

    uint8_t FieldValid{};              // 0..1
    uint8_t ConversionType{};          // 0..3
    uint8_t FixedFieldOutputLength{};  // 0..31
    uint8_t ReverseBits{};             // 0..1
    uint8_t ReverseBytes{};            // 0..1
    uint8_t FiveBMS{};                 // 0..1
    uint8_t InvertBits{};              // 0..1
    uint8_t ReverseAllBytes{};         // 0..1
    uint8_t UseHash{};                 // 0..1
    uint8_t ExtraFlag{};               // one bit on the wire, not validated
    uint8_t StartingBitPosition{};     // with BitCountOfField at most the application's MaxBitCount
    uint8_t BitCountOfField{};

    // Four bytes; each member cut to its wire bits.
    std::vector<uint8_t> ToVector() const;
    // Decodes the first four bytes; fewer throw ElvarinException.
    static FieldEntry FromVector(std::span<const uint8_t> bytes);
    void Validate() const;
    bool operator==(const FieldEntry& other) const;
    bool operator!=(const FieldEntry& other) const { return !(*this == other); }
};

static_assert(sizeof(FieldEntry) == 12);

}  // namespace TavCommon
