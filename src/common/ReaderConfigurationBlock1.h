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

// Configuration block 1: digit counts, strip counts, bit counts, delimiters and keystroke flags.
struct ReaderConfigurationBlock1 {
    static constexpr std::string_view kTypeName = "ReaderConfigurationBlock1";

    uint8_t FacDigitCount = 0;
    uint8_t IdDigitCount = 0;
    uint8_t StripLeadingParityCount = 0;
    uint8_t StripTrailingParityCount = 0;
    uint8_t IdBitCount = 0;
    uint8_t ExpectedBitCount = 0;
    uint8_t IdAndFacDelimiter = 0;
    uint8_t TerminationCharacter = 0;
    uint8_t UseFixedLengthForFacAndId = 0;
    uint8_t EnforceExpectedBitCount = 0;
    uint8_t StripFacFromId = 0;
    uint8_t SendFacAfterStripping = 0;
    uint8_t UseIdAndFacDelimiter = 0;
    uint8_t DisableKeystrokeTerminationCharacter = 0;
    uint8_t EnableContinuousRead = 0;
    uint8_t DisableKeystroking = 0;

    // The 8-byte wire form.
    std::vector<uint8_t> ToBytes() const;
    // Decodes the first eight bytes; fewer throw ElvarinException.
    static ReaderConfigurationBlock1 FromBytes(const std::vector<uint8_t>& bytes);
    bool operator==(const ReaderConfigurationBlock1& other) const;
    bool operator!=(const ReaderConfigurationBlock1& other) const { return !(*this == other); }
    // Appends one "label value" line per printed member to text and returns the completed text.
    std::string ToString(std::string& text) const;

    // The first member outside its valid range, in member order, for the set operation to refuse.
    std::optional<ConfigurationRangeViolation> FindFirstOutOfRange() const;
    // The member table: wire position, names and range of every member, in member order.
    static std::span<const ConfigurationBlockMember<ReaderConfigurationBlock1>> Members();
};

}  // namespace TavProtocol
