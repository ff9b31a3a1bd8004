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

// Configuration block 4: the strip counts above 15 (block 1 holds the first 15), fixed lengths,
// FAC precision and keyboard settings.
struct ReaderConfigurationBlock4 {
    static constexpr std::string_view kTypeName = "ReaderConfigurationBlock4";

    uint8_t LeadingParityBig = 0;
    uint8_t TrailingParityBig = 0;
    uint8_t SplitFixedLength = 0;
    uint8_t FixedLengthFac = 0;
    uint8_t FixedLengthId = 0;
    uint8_t _ = 0;
    uint8_t CfgRb3 = 0;
    uint8_t CfgRb4 = 0;
    uint8_t __ = 0;
    uint8_t HighPrecisionFac = 0;
    uint8_t ___ = 0;
    uint8_t ____ = 0;
    uint8_t AzertyKeyboardShift = 0;
    uint8_t _____ = 0;
    uint8_t EnableExtendedMode = 0;  // a whole byte on the wire, read as a flag

    // The 8-byte wire form.
    std::vector<uint8_t> ToBytes() const;
    // Decodes the first eight bytes; fewer throw ElvarinException.
    static ReaderConfigurationBlock4 FromBytes(const std::vector<uint8_t>& bytes);
    bool operator==(const ReaderConfigurationBlock4& other) const;
    bool operator!=(const ReaderConfigurationBlock4& other) const { return !(*this == other); }
    // Appends one "label value" line per printed member to text and returns the completed text.
    std::string ToString(std::string& text) const;

    // The first member outside its valid range, in member order, for the set operation to refuse.
    std::optional<ConfigurationRangeViolation> FindFirstOutOfRange() const;
    // The member table: wire position, names and range of every member, in member order.
    static std::span<const ConfigurationBlockMember<ReaderConfigurationBlock4>> Members();
};

}  // namespace TavProtocol
