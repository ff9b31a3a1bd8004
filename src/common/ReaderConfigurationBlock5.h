#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ConfigurationBlockMember.h"
#include "common/ConfigurationRangeViolation.h"

namespace TavProtocol {

// Configuration block 5: card-type settings. Its members follow the wire bytes one to one, CardType
// little-endian in bytes 1 and 2.
struct ReaderConfigurationBlock5 {
    static constexpr std::string_view kTypeName = "ReaderConfigurationBlock5";

    uint8_t DisableCardConfiguration = 0;
    uint16_t CardType = 0;
    uint8_t SetHighPriorityCardType = 0;
    uint8_t SorwynCompatibilityCharacter = 0;
    uint8_t SorwynCharacterCount = 0;
    uint8_t _ = 0;
    uint8_t __ = 0;

    // The 8-byte wire form.
    std::vector<uint8_t> ToBytes() const;
    // Decodes the first eight bytes; fewer throw ElvarinException.
    static ReaderConfigurationBlock5 FromBytes(const std::vector<uint8_t>& bytes);
    bool operator==(const ReaderConfigurationBlock5& other) const;
    bool operator!=(const ReaderConfigurationBlock5& other) const { return !(*this == other); }
    // Appends one "label value" line per printed member to text and returns the completed text.
    std::string ToString(std::string& text) const;

    // The first member outside its valid range, in member order, for the set operation to refuse.
    std::optional<ConfigurationRangeViolation> FindFirstOutOfRange() const;
    // The member table: wire position, names and range of every member, in member order.
    static std::span<const ConfigurationBlockMember<ReaderConfigurationBlock5>> Members();
};

}  // namespace TavProtocol
