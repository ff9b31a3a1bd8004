#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace TavCommon {

// The application settings stored in the last two bytes of an extended configuration.
struct TAV_API ApplicationData {
    static constexpr std::size_t kWireSize = 2;

    uint8_t FieldDefinitionType{};  // 0..5
    uint8_t EnhanceSecurityFlag{};  // 0..1
    uint8_t MaxBitCount{};          // bound of every field entry's start plus bit count

    // Two bytes; each member cut to its wire bits.
    std::vector<uint8_t> ToVector() const;
    // Decodes the first two bytes; fewer throw ElvarinException.
    static ApplicationData FromVector(std::span<const uint8_t> bytes);
    void Validate() const;
    bool operator==(const ApplicationData& other) const;
    bool operator!=(const ApplicationData& other) const { return !(*this == other); }
};

static_assert(sizeof(ApplicationData) == 3);

}  // namespace TavCommon
