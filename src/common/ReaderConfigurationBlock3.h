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

// Configuration block 3: LEDs, beeper, output format and the leading/trailing characters. The three
// characters are one pool: the first LeadingCharCount lead, the next TrailingCharCount trail.
struct ReaderConfigurationBlock3 {
    static constexpr std::string_view kTypeName = "ReaderConfigurationBlock3";

    uint8_t LedRed = 0;
    uint8_t LedGreen = 0;
    uint8_t OemRelay = 0;
    uint8_t OemBeeper = 0;
    uint8_t UxLed = 0;
    uint8_t _ = 0;
    uint8_t UseLeadChars = 0;
    uint8_t LedControlFlag = 0;
    uint8_t DisplayFormatHex = 0;
    uint8_t WiegandDataInvert = 0;
    uint8_t BeepIdValid = 0;
    uint8_t WiegandBitReverse = 0;
    uint8_t WiegandByteReverse = 0;
    uint8_t UseDataInvert = 0;
    uint8_t CardGoneCharacter1 = 0;
    uint8_t CardGoneCharacter2 = 0;
    uint8_t LeadingCharCount = 0;
    uint8_t TrailingCharCount = 0;
    uint8_t LeadingTrailingCharacter0 = 0;
    uint8_t LeadingTrailingCharacter1 = 0;
    uint8_t LeadingTrailingCharacter2 = 0;

    // The 8-byte wire form.
    std::vector<uint8_t> ToBytes() const;
    // Decodes the first eight bytes; fewer throw ElvarinException.
    static ReaderConfigurationBlock3 FromBytes(const std::vector<uint8_t>& bytes);
    bool operator==(const ReaderConfigurationBlock3& other) const;
    bool operator!=(const ReaderConfigurationBlock3& other) const { return !(*this == other); }
    // Appends one "label value" line per printed member to text and returns the completed text.
    std::string ToString(std::string& text) const;

    // The first member outside its valid range, in member order, for the set operation to refuse.
    std::optional<ConfigurationRangeViolation> FindFirstOutOfRange() const;
    // The member table: wire position, names and range of every member, in member order.
    static std::span<const ConfigurationBlockMember<ReaderConfigurationBlock3>> Members();
};

}  // namespace TavProtocol
