#include "reader/ReaderConfigurationConversion.h"

#include <algorithm>
#include <cstddef>

#include "common/SourceLocation.h"

namespace Tav {

namespace {

using Configuration = TavCommon::ReaderConfiguration;

// Block 1 holds the first 15 strip bits of each end, block 4 the rest.
constexpr unsigned kBlock1StripMaximum = 15;
constexpr unsigned kDataHoldUnitMs = 50;
constexpr unsigned kKeyUnitMs = 4;

constexpr bool Flag(uint8_t value) { return value != 0; }

// Leading and trailing characters share three slots; counts that claim more are refused before a
// character is read, so no slot past the third is ever touched.
void RequireCharacterSlots(unsigned leadingCount, unsigned trailingCount) {
    if (leadingCount + trailingCount > Configuration::kLeadingTrailingSlots) {
        TAV_THROW(ElvarinException, "Cannot add more than 3 Leading/Trailing Characters in total");
    }
}

void AddCharacters(Configuration& configuration, unsigned leadingCount, unsigned trailingCount,
                   const uint8_t (&characters)[Configuration::kLeadingTrailingSlots]) {
    RequireCharacterSlots(leadingCount, trailingCount);
    for (std::size_t i = 0; i < leadingCount; ++i) {
        configuration.AddLeadingCharacter(characters[i]);
    }
    for (std::size_t i = leadingCount; i < leadingCount + trailingCount; ++i) {
        configuration.AddTrailingCharacter(characters[i]);
    }
}

}  // namespace

Configuration ReaderConfigurationConversion::Validated(const Configuration& in) {
    Configuration out;
    out.SetFacDigitCount(in.FacDigitCount)
        .SetIdDigitCount(in.IdDigitCount)
        .SetTotalStripLeadingParityCount(in.TotalStripLeadingParityCount)
        .SetTotalStripTrailingParityCount(in.TotalStripTrailingParityCount)
        .SetIdBitCount(in.IdBitCount)
        .SetExpectedBitCount(in.ExpectedBitCount)
        .SetIdAndFacDelimiter(in.IdAndFacDelimiter)
        .SetTerminationCharacter(in.TerminationCharacter)
        .SetUseFixedLengthForFacAndId(Flag(in.UseFixedLengthForFacAndId))
        .SetEnforceExpectedBitCount(Flag(in.EnforceExpectedBitCount))
        .SetStripFacFromId(Flag(in.StripFacFromId))
        .SetSendFacAfterStripping(Flag(in.SendFacAfterStripping))
        .SetUseIdAndFacDelimiter(Flag(in.UseIdAndFacDelimiter))
        .SetDisableKeystrokeTerminationCharacter(Flag(in.DisableKeystrokeTerminationCharacter))
        .SetEnableContinuousRead(Flag(in.EnableContinuousRead))
        .SetDisableKeystroking(Flag(in.DisableKeystroking))
        .SetLegacyBitStreamTimeOutMs(in.LegacyBitStreamTimeOutMs)
        .SetDataHoldTimeMs(in.DataHoldTimeMs)
        .SetLockOutTimeMs(in.LockOutTimeMs)
        .SetKeyPressTimeMs(in.KeyPressTimeMs)
        .SetKeyReleaseTimeMs(in.KeyReleaseTimeMs)
        .SetEnableIdExtendedPrecision(Flag(in.EnableIdExtendedPrecision))
        .SetUseLowercaseHex(Flag(in.UseLowercaseHex))
        .SetEnableProxProEmulation(Flag(in.EnableProxProEmulation))
        .SetEnableHexadecimalId(Flag(in.EnableHexadecimalId))
        .SetEnableHexadecimalFac(Flag(in.EnableHexadecimalFac))
        .SetUseIndividualIdAndFacNumberFormats(Flag(in.UseIndividualIdAndFacNumberFormats))
        .SetUseNumericKeypad(Flag(in.UseNumericKeypad))
        .SetReaderSupportsReverseAllBytes(Flag(in.ReaderSupportsReverseAllBytes))
        .SetReaderSupportsAsciiExtended(Flag(in.ReaderSupportsAsciiExtended))
        .SetReaderSupportsExtendedMode(Flag(in.ReaderSupportsExtendedMode))
        .SetEnableVastrelMode(Flag(in.EnableVastrelMode))
        .SetEnableRedLed(Flag(in.EnableRedLed))
        .SetEnableGreenLed(Flag(in.EnableGreenLed))
        .SetEnableOemRelay(Flag(in.EnableOemRelay))
        .SetEnableOemBeeper(Flag(in.EnableOemBeeper))
        .SetUxLed(Flag(in.UxLed))
        .SetUseLeadingCharacters(Flag(in.UseLeadingCharacters))
        .SetEnabledSoftwareControlledLed(Flag(in.EnabledSoftwareControlledLed))
        .SetUseHexadecimalForBothFacAndId(Flag(in.UseHexadecimalForBothFacAndId))
        .SetInvertWiegandBits(Flag(in.InvertWiegandBits))
        .SetEnableBeepOnCardRead(Flag(in.EnableBeepOnCardRead))
        .SetReverseWiegandBits(Flag(in.ReverseWiegandBits))
        .SetReverseWiegandBytes(Flag(in.ReverseWiegandBytes))
        .SetUseDataInvert(Flag(in.UseDataInvert))
        .AddCardGoneCharacter(in.CardGoneCharacter[0])
        .AddCardGoneCharacter(in.CardGoneCharacter[1]);
    AddCharacters(out, in.LeadingCharacterCount, in.TrailingCharacterCount, in.LeadingTrailingCharacters);
    out.SetUseIndividualIdAndFacFixedLengths(Flag(in.UseIndividualIdAndFacFixedLengths))
        .SetUseFixedLengthFac(Flag(in.UseFixedLengthFac))
        .SetUseFixedLengthId(Flag(in.UseFixedLengthId))
        .SetCfgRb3(in.CfgRb3)
        .SetCfgRb4(in.CfgRb4)
        .SetEnableFacExtendedPrecision(Flag(in.EnableFacExtendedPrecision))
        .SetAzertyKeyboardShift(Flag(in.AzertyKeyboardShift))
        .SetEnableExtendedMode(Flag(in.EnableExtendedMode))
        .SetDisableCardConfiguration(Flag(in.DisableCardConfiguration))
        .SetCardType(in.CardType)
        .SetHighPriorityCardType(Flag(in.HighPriorityCardType))
        .SetSorwynCompatibilityCharacter(in.SorwynCompatibilityCharacter)
        .SetSorwynCharacterCount(in.SorwynCharacterCount);
    return out;
}

TavProtocol::ReaderConfiguration ReaderConfigurationConversion::ToBlocks(const Configuration& configuration) {
    const Configuration c = Validated(configuration);
    TavProtocol::ReaderConfiguration blocks;

    auto& b1 = blocks.Block1;
    b1.FacDigitCount = c.FacDigitCount;
    b1.IdDigitCount = c.IdDigitCount;
    b1.StripLeadingParityCount = static_cast<uint8_t>(std::min<unsigned>(c.TotalStripLeadingParityCount, 15));
    b1.StripTrailingParityCount = static_cast<uint8_t>(std::min<unsigned>(c.TotalStripTrailingParityCount, 15));
    b1.IdBitCount = c.IdBitCount;
    b1.ExpectedBitCount = c.ExpectedBitCount;
    b1.IdAndFacDelimiter = c.IdAndFacDelimiter;
    b1.TerminationCharacter = c.TerminationCharacter;
    b1.UseFixedLengthForFacAndId = c.UseFixedLengthForFacAndId;
    b1.EnforceExpectedBitCount = c.EnforceExpectedBitCount;
    b1.StripFacFromId = c.StripFacFromId;
    b1.SendFacAfterStripping = c.SendFacAfterStripping;
    b1.UseIdAndFacDelimiter = c.UseIdAndFacDelimiter;
    b1.DisableKeystrokeTerminationCharacter = c.DisableKeystrokeTerminationCharacter;
    b1.EnableContinuousRead = c.EnableContinuousRead;
    b1.DisableKeystroking = c.DisableKeystroking;

    // The setters bound every time, so each quotient fits its byte.
    auto& b2 = blocks.Block2;
    b2.DataHoldTime = static_cast<uint8_t>(c.DataHoldTimeMs / kDataHoldUnitMs);
    b2.LockOutTime = static_cast<uint8_t>(c.LockOutTimeMs / kDataHoldUnitMs);
    b2.KeyPressTime = static_cast<uint8_t>(c.KeyPressTimeMs / kKeyUnitMs);
    b2.KeyReleaseTime = static_cast<uint8_t>(c.KeyReleaseTimeMs / kKeyUnitMs);
    b2.ExtendedPrecisionMath = c.EnableIdExtendedPrecision;
    b2.LowercaseHex = c.UseLowercaseHex;
    b2.EmulateProxPro = c.EnableProxProEmulation;
    b2.SendIdAsHex = c.EnableHexadecimalId;
    b2.SendFacAsHex = c.EnableHexadecimalFac;
    b2.ExtendFacIdHexCapable = c.UseIndividualIdAndFacNumberFormats;
    b2.UseNumericKeypad = c.UseNumericKeypad;

    auto& b3 = blocks.Block3;
    b3.LedRed = c.EnableRedLed;
    b3.LedGreen = c.EnableGreenLed;
    b3.OemRelay = c.EnableOemRelay;
    b3.OemBeeper = c.EnableOemBeeper;
    b3.UseLeadChars = c.UseLeadingCharacters;
    b3.LedControlFlag = c.EnabledSoftwareControlledLed;
    b3.DisplayFormatHex = c.UseHexadecimalForBothFacAndId;
    b3.WiegandDataInvert = c.InvertWiegandBits;
    b3.BeepIdValid = c.EnableBeepOnCardRead;
    b3.WiegandBitReverse = c.ReverseWiegandBits;
    b3.WiegandByteReverse = c.ReverseWiegandBytes;
    b3.UseDataInvert = c.UseDataInvert;
    b3.CardGoneCharacter1 = c.CardGoneCharacter[0];
    b3.CardGoneCharacter2 = c.CardGoneCharacter[1];
    b3.LeadingCharCount = c.LeadingCharacterCount;
    b3.TrailingCharCount = c.TrailingCharacterCount;
    b3.LeadingTrailingCharacter0 = c.LeadingTrailingCharacters[0];
    b3.LeadingTrailingCharacter1 = c.LeadingTrailingCharacters[1];
    b3.LeadingTrailingCharacter2 = c.LeadingTrailingCharacters[2];

    auto& b4 = blocks.Block4;
    b4.LeadingParityBig = static_cast<uint8_t>(
        c.TotalStripLeadingParityCount < kBlock1StripMaximum ? 0 : c.TotalStripLeadingParityCount - kBlock1StripMaximum);
    b4.TrailingParityBig = static_cast<uint8_t>(c.TotalStripTrailingParityCount < kBlock1StripMaximum
                                                    ? 0
                                                    : c.TotalStripTrailingParityCount - kBlock1StripMaximum);
    b4.SplitFixedLength = c.UseIndividualIdAndFacFixedLengths;
    b4.FixedLengthFac = c.UseFixedLengthFac;
    b4.FixedLengthId = c.UseFixedLengthId;
    b4.CfgRb3 = c.CfgRb3;
    b4.CfgRb4 = c.CfgRb4;
    b4.HighPrecisionFac = c.EnableFacExtendedPrecision;
    b4.AzertyKeyboardShift = c.AzertyKeyboardShift;
    b4.EnableExtendedMode = c.EnableExtendedMode;

    auto& b5 = blocks.Block5;
    b5.DisableCardConfiguration = c.DisableCardConfiguration;
    b5.CardType = c.CardType;
    b5.SetHighPriorityCardType = c.HighPriorityCardType;
    b5.SorwynCompatibilityCharacter = c.SorwynCompatibilityCharacter;
    b5.SorwynCharacterCount = c.SorwynCharacterCount;
    return blocks;
}

void ReaderConfigurationConversion::FromBlocks(const TavProtocol::ReaderConfiguration& blocks, Configuration& c) {
    const auto& b1 = blocks.Block1;
    const auto& b2 = blocks.Block2;
    const auto& b3 = blocks.Block3;
    const auto& b4 = blocks.Block4;
    const auto& b5 = blocks.Block5;
    // Sums in int: the setter refuses what its field cannot hold instead of a wrapped byte.
    const int leadingStrip = int{b1.StripLeadingParityCount} + int{b4.LeadingParityBig};
    const int trailingStrip = int{b1.StripTrailingParityCount} + int{b4.TrailingParityBig};
    c.SetFacDigitCount(b1.FacDigitCount)
        .SetIdDigitCount(b1.IdDigitCount)
        .SetTotalStripLeadingParityCount(static_cast<uint32_t>(leadingStrip))
        .SetTotalStripTrailingParityCount(static_cast<uint32_t>(trailingStrip))
        .SetIdBitCount(b1.IdBitCount)
        .SetExpectedBitCount(b1.ExpectedBitCount)
        .SetIdAndFacDelimiter(b1.IdAndFacDelimiter)
        .SetTerminationCharacter(b1.TerminationCharacter)
        .SetUseFixedLengthForFacAndId(Flag(b1.UseFixedLengthForFacAndId))
        .SetEnforceExpectedBitCount(Flag(b1.EnforceExpectedBitCount))
        .SetStripFacFromId(Flag(b1.StripFacFromId))
        .SetSendFacAfterStripping(Flag(b1.SendFacAfterStripping))
        .SetUseIdAndFacDelimiter(Flag(b1.UseIdAndFacDelimiter))
        .SetDisableKeystrokeTerminationCharacter(Flag(b1.DisableKeystrokeTerminationCharacter))
        .SetEnableContinuousRead(Flag(b1.EnableContinuousRead))
        .SetDisableKeystroking(Flag(b1.DisableKeystroking))
        .SetDataHoldTimeMs(b2.DataHoldTime * kDataHoldUnitMs)
        .SetLockOutTimeMs(b2.LockOutTime * kDataHoldUnitMs)
        .SetKeyPressTimeMs(b2.KeyPressTime * kKeyUnitMs)
        .SetKeyReleaseTimeMs(b2.KeyReleaseTime * kKeyUnitMs)
        .SetEnableIdExtendedPrecision(Flag(b2.ExtendedPrecisionMath))
        .SetUseLowercaseHex(Flag(b2.LowercaseHex))
        .SetEnableProxProEmulation(Flag(b2.EmulateProxPro))
        .SetEnableHexadecimalId(Flag(b2.SendIdAsHex))
        .SetEnableHexadecimalFac(Flag(b2.SendFacAsHex))
        .SetUseIndividualIdAndFacNumberFormats(Flag(b2.ExtendFacIdHexCapable))
        .SetUseNumericKeypad(Flag(b2.UseNumericKeypad))
        .SetReaderSupportsReverseAllBytes(Flag(b2.ReaderSupportsReverseAllBytes))
        .SetReaderSupportsAsciiExtended(Flag(b2.ExtendedAscii))
        .SetReaderSupportsExtendedMode(Flag(b2.ExtendedOutputCapable))
        .SetEnableVastrelMode(Flag(b2.Vastrel))
        .SetEnableRedLed(Flag(b3.LedRed))
        .SetEnableGreenLed(Flag(b3.LedGreen))
        .SetEnableOemRelay(Flag(b3.OemRelay))
        .SetEnableOemBeeper(Flag(b3.OemBeeper))
        .SetUseLeadingCharacters(Flag(b3.UseLeadChars))
        .SetEnabledSoftwareControlledLed(Flag(b3.LedControlFlag))
        .SetUseHexadecimalForBothFacAndId(Flag(b3.DisplayFormatHex))
        .SetInvertWiegandBits(Flag(b3.WiegandDataInvert))
        .SetEnableBeepOnCardRead(Flag(b3.BeepIdValid))
        .SetReverseWiegandBits(Flag(b3.WiegandBitReverse))
        .SetReverseWiegandBytes(Flag(b3.WiegandByteReverse))
        .SetUseDataInvert(Flag(b3.UseDataInvert))
        .AddCardGoneCharacter(b3.CardGoneCharacter1)
        .AddCardGoneCharacter(b3.CardGoneCharacter2);
    const uint8_t characters[Configuration::kLeadingTrailingSlots] = {
        b3.LeadingTrailingCharacter0, b3.LeadingTrailingCharacter1, b3.LeadingTrailingCharacter2};
    AddCharacters(c, b3.LeadingCharCount, b3.TrailingCharCount, characters);
    c.SetUseIndividualIdAndFacFixedLengths(Flag(b4.SplitFixedLength))
        .SetUseFixedLengthFac(Flag(b4.FixedLengthFac))
        .SetUseFixedLengthId(Flag(b4.FixedLengthId))
        .SetCfgRb3(b4.CfgRb3)
        .SetCfgRb4(b4.CfgRb4)
        .SetEnableFacExtendedPrecision(Flag(b4.HighPrecisionFac))
        .SetAzertyKeyboardShift(Flag(b4.AzertyKeyboardShift))
        .SetEnableExtendedMode(Flag(b4.EnableExtendedMode))
        .SetDisableCardConfiguration(Flag(b5.DisableCardConfiguration))
        .SetCardType(b5.CardType)
        .SetHighPriorityCardType(Flag(b5.SetHighPriorityCardType))
        .SetSorwynCompatibilityCharacter(b5.SorwynCompatibilityCharacter)
        .SetSorwynCharacterCount(b5.SorwynCharacterCount);
}

}  // namespace Tav
