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

// Configuration block 2: output timings, number formats and the reader's capability flags
// (ReaderSupportsReverseAllBytes to Vastrel), which must agree across a reader's configurations.
struct ReaderConfigurationBlock2 {
    static constexpr std::string_view kTypeName = "ReaderConfigurationBlock2";

    uint8_t Byte0 = 0;
    uint8_t Byte1 = 0;
    uint8_t DataHoldTime = 0;    // units of 50 ms
    uint8_t LockOutTime = 0;     // units of 50 ms
    uint8_t KeyPressTime = 0;    // units of 4 ms
    uint8_t KeyReleaseTime = 0;  // units of 4 ms
    uint8_t ___ = 1;
    uint8_t ExtendedPrecisionMath = 0;
    uint8_t LowercaseHex = 0;
    uint8_t EmulateProxPro = 0;
    uint8_t SendIdAsHex = 0;
    uint8_t SendFacAsHex = 0;
    uint8_t ExtendFacIdHexCapable = 0;
    uint8_t UseNumericKeypad = 0;
    uint8_t ____ = 0;  // reserved nibble; carried, but not compared
    uint8_t ReaderSupportsReverseAllBytes = 0;
    uint8_t ExtendedAscii = 0;
    uint8_t ExtendedOutputCapable = 0;
    uint8_t Vastrel = 0;

    // The 8-byte wire form.
    std::vector<uint8_t> ToBytes() const;
    // Decodes the first eight bytes; fewer throw ElvarinException.
    static ReaderConfigurationBlock2 FromBytes(const std::vector<uint8_t>& bytes);
    bool operator==(const ReaderConfigurationBlock2& other) const;
    bool operator!=(const ReaderConfigurationBlock2& other) const { return !(*this == other); }
    // Appends one "label value" line per printed member to text and returns the completed text.
    std::string ToString(std::string& text) const;

    // The first member outside its valid range, in member order, for the set operation to refuse.
    std::optional<ConfigurationRangeViolation> FindFirstOutOfRange() const;
    // The member table: wire position, names and range of every member, in member order.
    static std::span<const ConfigurationBlockMember<ReaderConfigurationBlock2>> Members();
};

}  // namespace TavProtocol
