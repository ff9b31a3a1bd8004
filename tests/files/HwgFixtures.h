#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "Tavelin/ReaderConfigurationStruct.h"
#include "common/ExtendedConfiguration.h"

namespace TavTest {

// The configurations of the golden HWG files in tests/files/golden, which were written from the
// file layout alone, outside the library.
struct HwgFixtures {
    static TavCommon::ReaderConfiguration ConfigurationA() {
        TavCommon::ReaderConfiguration c{};
        c.SetAzertyKeyboardShift(1).SetTotalStripLeadingParityCount(1).SetTotalStripTrailingParityCount(2);
        c.SetIdBitCount(26).SetExpectedBitCount(35).SetUseFixedLengthForFacAndId(1).SetStripFacFromId(1);
        c.SetSendFacAfterStripping(1).SetDisableKeystrokeTerminationCharacter(1).SetDisableKeystroking(1);
        c.SetIdAndFacDelimiter(45).SetTerminationCharacter(13).SetIdDigitCount(10).SetFacDigitCount(5);
        c.SetEnableExtendedMode(1).SetLegacyBitStreamTimeOutMs(100).SetDataHoldTimeMs(1000).SetLockOutTimeMs(1500);
        c.SetKeyPressTimeMs(8).SetKeyReleaseTimeMs(12).SetUseLeadingCharacters(1).SetInvertWiegandBits(1);
        c.SetReverseWiegandBits(1).SetEnableBeepOnCardRead(1).SetUseNumericKeypad(1).SetEnableHexadecimalFac(1);
        c.SetEnableProxProEmulation(1).SetUseLowercaseHex(1).SetEnabledSoftwareControlledLed(1);
        c.SetEnableGreenLed(1).SetEnableOemBeeper(1).SetCardType(4660).SetHighPriorityCardType(1);
        c.AddLeadingCharacter(65).AddTrailingCharacter(66).AddTrailingCharacter(67);
        c.AddCardGoneCharacter(13).AddCardGoneCharacter(10);
        return c;
    }

    static TavCommon::ReaderConfiguration ConfigurationC() {
        TavCommon::ReaderConfiguration c{};
        c.SetEnableFacExtendedPrecision(1).SetTotalStripLeadingParityCount(142).SetTotalStripTrailingParityCount(142);
        c.SetIdBitCount(255).SetExpectedBitCount(255).SetIdAndFacDelimiter(255).SetTerminationCharacter(9);
        c.SetIdDigitCount(26).SetFacDigitCount(26).SetLegacyBitStreamTimeOutMs(1020).SetDataHoldTimeMs(12750);
        c.SetLockOutTimeMs(12750).SetKeyPressTimeMs(1020).SetKeyReleaseTimeMs(1020).SetUxLed(1);
        c.AddLeadingCharacter(65).AddLeadingCharacter(66).AddLeadingCharacter(67).AddCardGoneCharacter(255);
        c.SetCardType(65535).SetHighPriorityCardType(1);
        return c;
    }

    static std::vector<uint8_t> Image(std::initializer_list<std::pair<std::size_t, std::vector<uint8_t>>> pieces) {
        std::vector<uint8_t> image(128, 0xFF);
        for (const auto& [offset, bytes] : pieces) {
            std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
        }
        return image;
    }

    // Two field entries and one separator of three one-byte characters.
    static std::vector<uint8_t> ImageA() {
        return Image({{0, {0x14, 0x42, 0x21, 0x10}},
                      {4, {0xCA, 0x83, 0x05, 0x08, 0xCA, 0x83, 0x0D, 0x10}},
                      {12, {0x83, 0x00, 0x2C, 0x2D, 0x28}},
                      {126, {0x82, 0x40}}});
    }
    // A default extended configuration, as a reader without one leaves it.
    static std::vector<uint8_t> ImageB() { return Image({{0, {0, 0, 0, 0}}, {126, {0, 0}}}); }
    // Two separators of two-byte characters, no field entry.
    static std::vector<uint8_t> ImageC() {
        return Image({{0, {0x14, 0x40, 0x22, 0x10, 0xC2, 0x00, 0x41, 0x04, 0x28, 0x00, 0x2C, 0x01, 0x2D, 0x00}},
                      {126, {0x82, 0x40}}});
    }

    // Every byte, the fields that equality leaves out included.
    static bool SameBytes(const TavCommon::ReaderConfiguration& a, const TavCommon::ReaderConfiguration& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
};

}  // namespace TavTest
