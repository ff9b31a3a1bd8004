#include "reader/ReaderConfigurationConversion.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "common/SourceLocation.h"

namespace Tav {

namespace {

using Configuration = TavCommon::ReaderConfiguration;
using Blocks = TavProtocol::ReaderConfiguration;
using Block1 = TavProtocol::ReaderConfigurationBlock1;
using Block2 = TavProtocol::ReaderConfigurationBlock2;
using Block3 = TavProtocol::ReaderConfigurationBlock3;
using Block4 = TavProtocol::ReaderConfigurationBlock4;
using Block5 = TavProtocol::ReaderConfigurationBlock5;

// Block 1 holds the first 15 strip bits of each end, block 4 the rest.
constexpr unsigned kBlock1StripMaximum = 15;
constexpr unsigned kDataHoldUnitMs = 50;
constexpr unsigned kKeyUnitMs = 4;

constexpr bool Flag(uint8_t value) { return value != 0; }

// How a field's value stands in its member.
enum class Carried : uint8_t { AsIs, AsFlag, InDataHoldUnits, InKeyUnits };

constexpr unsigned UnitMs(Carried carried) {
    switch (carried) {
    case Carried::InDataHoldUnits:
        return kDataHoldUnitMs;
    case Carried::InKeyUnits:
        return kKeyUnitMs;
    default:
        return 1;
    }
}

// A uint8_t or uint16_t member of Owner. The flat record is packed, so its 16-bit fields may sit at
// odd addresses: they are copied byte-wise, never loaded as uint16_t.
template <typename Owner>
struct Field {
    constexpr Field(uint8_t Owner::*narrow) : Narrow(narrow) {}
    constexpr Field(uint16_t Owner::*wide) : Wide(wide) {}

    uint32_t Get(const Owner& owner) const {
        if (Narrow != nullptr) {
            return owner.*Narrow;
        }
        uint16_t value = 0;
        std::memcpy(&value, &(owner.*Wide), sizeof value);
        return value;
    }
    void Set(Owner& owner, uint32_t value) const {
        if (Narrow != nullptr) {
            owner.*Narrow = static_cast<uint8_t>(value);
            return;
        }
        const auto wide = static_cast<uint16_t>(value);
        std::memcpy(&(owner.*Wide), &wide, sizeof wide);
    }

    uint8_t Owner::*Narrow = nullptr;
    uint16_t Owner::*Wide = nullptr;
};

// A flat field and the block member that carries it. Both directions read the same pair, so a
// field cannot be written to one member and read back from another.
template <typename Block>
struct FieldPair {
    Field<Configuration> Flat;
    Field<Block> Member;
    Carried How = Carried::AsIs;
};

constexpr auto kFlag = Carried::AsFlag;

// Not in these tables, and paired beside the two directions instead: the strip counts (split between
// blocks 1 and 4), the character slots, and block 2's reader-capability members (read, never sent).
constexpr FieldPair<Block1> kBlock1Pairs[] = {
    {&Configuration::FacDigitCount, &Block1::FacDigitCount},
    {&Configuration::IdDigitCount, &Block1::IdDigitCount},
    {&Configuration::IdBitCount, &Block1::IdBitCount},
    {&Configuration::ExpectedBitCount, &Block1::ExpectedBitCount},
    {&Configuration::IdAndFacDelimiter, &Block1::IdAndFacDelimiter},
    {&Configuration::TerminationCharacter, &Block1::TerminationCharacter},
    {&Configuration::UseFixedLengthForFacAndId, &Block1::UseFixedLengthForFacAndId, kFlag},
    {&Configuration::EnforceExpectedBitCount, &Block1::EnforceExpectedBitCount, kFlag},
    {&Configuration::StripFacFromId, &Block1::StripFacFromId, kFlag},
    {&Configuration::SendFacAfterStripping, &Block1::SendFacAfterStripping, kFlag},
    {&Configuration::UseIdAndFacDelimiter, &Block1::UseIdAndFacDelimiter, kFlag},
    {&Configuration::DisableKeystrokeTerminationCharacter, &Block1::DisableKeystrokeTerminationCharacter, kFlag},
    {&Configuration::EnableContinuousRead, &Block1::EnableContinuousRead, kFlag},
    {&Configuration::DisableKeystroking, &Block1::DisableKeystroking, kFlag},
};

constexpr FieldPair<Block2> kBlock2Pairs[] = {
    {&Configuration::DataHoldTimeMs, &Block2::DataHoldTime, Carried::InDataHoldUnits},
    {&Configuration::LockOutTimeMs, &Block2::LockOutTime, Carried::InDataHoldUnits},
    {&Configuration::KeyPressTimeMs, &Block2::KeyPressTime, Carried::InKeyUnits},
    {&Configuration::KeyReleaseTimeMs, &Block2::KeyReleaseTime, Carried::InKeyUnits},
    {&Configuration::EnableIdExtendedPrecision, &Block2::ExtendedPrecisionMath, kFlag},
    {&Configuration::UseLowercaseHex, &Block2::LowercaseHex, kFlag},
    {&Configuration::EnableProxProEmulation, &Block2::EmulateProxPro, kFlag},
    {&Configuration::EnableHexadecimalId, &Block2::SendIdAsHex, kFlag},
    {&Configuration::EnableHexadecimalFac, &Block2::SendFacAsHex, kFlag},
    {&Configuration::UseIndividualIdAndFacNumberFormats, &Block2::ExtendFacIdHexCapable, kFlag},
    {&Configuration::UseNumericKeypad, &Block2::UseNumericKeypad, kFlag},
};

constexpr FieldPair<Block3> kBlock3Pairs[] = {
    {&Configuration::EnableRedLed, &Block3::LedRed, kFlag},
    {&Configuration::EnableGreenLed, &Block3::LedGreen, kFlag},
    {&Configuration::EnableOemRelay, &Block3::OemRelay, kFlag},
    {&Configuration::EnableOemBeeper, &Block3::OemBeeper, kFlag},
    {&Configuration::UseLeadingCharacters, &Block3::UseLeadChars, kFlag},
    {&Configuration::EnabledSoftwareControlledLed, &Block3::LedControlFlag, kFlag},
    {&Configuration::UseHexadecimalForBothFacAndId, &Block3::DisplayFormatHex, kFlag},
    {&Configuration::InvertWiegandBits, &Block3::WiegandDataInvert, kFlag},
    {&Configuration::EnableBeepOnCardRead, &Block3::BeepIdValid, kFlag},
    {&Configuration::ReverseWiegandBits, &Block3::WiegandBitReverse, kFlag},
    {&Configuration::ReverseWiegandBytes, &Block3::WiegandByteReverse, kFlag},
    {&Configuration::UseDataInvert, &Block3::UseDataInvert, kFlag},
    {&Configuration::LeadingCharacterCount, &Block3::LeadingCharCount},
    {&Configuration::TrailingCharacterCount, &Block3::TrailingCharCount},
};

constexpr FieldPair<Block4> kBlock4Pairs[] = {
    {&Configuration::UseIndividualIdAndFacFixedLengths, &Block4::SplitFixedLength, kFlag},
    {&Configuration::UseFixedLengthFac, &Block4::FixedLengthFac, kFlag},
    {&Configuration::UseFixedLengthId, &Block4::FixedLengthId, kFlag},
    {&Configuration::CfgRb3, &Block4::CfgRb3},
    {&Configuration::CfgRb4, &Block4::CfgRb4},
    {&Configuration::EnableFacExtendedPrecision, &Block4::HighPrecisionFac, kFlag},
    {&Configuration::AzertyKeyboardShift, &Block4::AzertyKeyboardShift, kFlag},
    {&Configuration::EnableExtendedMode, &Block4::EnableExtendedMode, kFlag},
};

constexpr FieldPair<Block5> kBlock5Pairs[] = {
    {&Configuration::DisableCardConfiguration, &Block5::DisableCardConfiguration, kFlag},
    {&Configuration::CardType, &Block5::CardType},
    {&Configuration::HighPriorityCardType, &Block5::SetHighPriorityCardType, kFlag},
    {&Configuration::SorwynCompatibilityCharacter, &Block5::SorwynCompatibilityCharacter},
    {&Configuration::SorwynCharacterCount, &Block5::SorwynCharacterCount},
};

// The record has been through its setters, so every time is a multiple of its unit and its
// quotient fits the member's byte.
template <typename Block>
void WritePairs(std::span<const FieldPair<Block>> pairs, const Configuration& configuration, Block& block) {
    for (const FieldPair<Block>& pair : pairs) {
        const uint32_t value = pair.Flat.Get(configuration);
        pair.Member.Set(block, pair.How == Carried::AsFlag ? uint32_t{Flag(value)} : value / UnitMs(pair.How));
    }
}

// Raw, without the setters: the caller takes the record through them afterwards.
template <typename Block>
void ReadPairs(std::span<const FieldPair<Block>> pairs, const Block& block, Configuration& configuration) {
    for (const FieldPair<Block>& pair : pairs) {
        const uint32_t value = pair.Member.Get(block);
        pair.Flat.Set(configuration, pair.How == Carried::AsFlag ? uint32_t{Flag(value)} : value * UnitMs(pair.How));
    }
}

// The character slots, listed once for both directions: array elements have no member pointers.
template <typename Record, typename Block, typename Copy>
void PairCharacterSlots(Record& configuration, Block& block3, Copy copy) {
    copy(configuration.CardGoneCharacter[0], block3.CardGoneCharacter1);
    copy(configuration.CardGoneCharacter[1], block3.CardGoneCharacter2);
    copy(configuration.LeadingTrailingCharacters[0], block3.LeadingTrailingCharacter0);
    copy(configuration.LeadingTrailingCharacters[1], block3.LeadingTrailingCharacter1);
    copy(configuration.LeadingTrailingCharacters[2], block3.LeadingTrailingCharacter2);
}

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

// Every field of in, through out's setters in field order: the first value a field cannot hold is
// refused, flags become 0 or 1, and the characters are added to those out already holds.
void AssignThroughSetters(const Configuration& in, Configuration& out) {
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
}

}  // namespace

Configuration ReaderConfigurationConversion::Validated(const Configuration& configuration) {
    Configuration out;
    AssignThroughSetters(configuration, out);
    return out;
}

Blocks ReaderConfigurationConversion::ToBlocks(const Configuration& configuration) {
    const Configuration c = Validated(configuration);
    Blocks blocks;
    WritePairs<Block1>(kBlock1Pairs, c, blocks.Block1);
    WritePairs<Block2>(kBlock2Pairs, c, blocks.Block2);
    WritePairs<Block3>(kBlock3Pairs, c, blocks.Block3);
    WritePairs<Block4>(kBlock4Pairs, c, blocks.Block4);
    WritePairs<Block5>(kBlock5Pairs, c, blocks.Block5);
    PairCharacterSlots(c, blocks.Block3, [](uint8_t field, uint8_t& member) { member = field; });
    const unsigned leading = c.TotalStripLeadingParityCount;
    const unsigned trailing = c.TotalStripTrailingParityCount;
    blocks.Block1.StripLeadingParityCount = static_cast<uint8_t>(std::min(leading, kBlock1StripMaximum));
    blocks.Block1.StripTrailingParityCount = static_cast<uint8_t>(std::min(trailing, kBlock1StripMaximum));
    blocks.Block4.LeadingParityBig = static_cast<uint8_t>(leading - std::min(leading, kBlock1StripMaximum));
    blocks.Block4.TrailingParityBig = static_cast<uint8_t>(trailing - std::min(trailing, kBlock1StripMaximum));
    // Block 2's reader-capability members and UxLed stay 0: the reader's own values go there.
    return blocks;
}

void ReaderConfigurationConversion::FromBlocks(const Blocks& blocks, Configuration& configuration) {
    // What the blocks hold, gathered raw, then taken into the configuration through its setters.
    Configuration read;
    read.UxLed = configuration.UxLed;
    read.LegacyBitStreamTimeOutMs = configuration.LegacyBitStreamTimeOutMs;
    ReadPairs<Block1>(kBlock1Pairs, blocks.Block1, read);
    ReadPairs<Block2>(kBlock2Pairs, blocks.Block2, read);
    ReadPairs<Block3>(kBlock3Pairs, blocks.Block3, read);
    ReadPairs<Block4>(kBlock4Pairs, blocks.Block4, read);
    ReadPairs<Block5>(kBlock5Pairs, blocks.Block5, read);
    PairCharacterSlots(read, blocks.Block3, [](uint8_t& field, uint8_t member) { field = member; });
    // A sum past a byte stays past the setter's range instead of wrapping to a small count.
    const auto leading = unsigned{blocks.Block1.StripLeadingParityCount} + blocks.Block4.LeadingParityBig;
    const auto trailing = unsigned{blocks.Block1.StripTrailingParityCount} + blocks.Block4.TrailingParityBig;
    read.TotalStripLeadingParityCount = static_cast<uint8_t>(std::min(leading, 0xFFu));
    read.TotalStripTrailingParityCount = static_cast<uint8_t>(std::min(trailing, 0xFFu));
    const Block2& block2 = blocks.Block2;
    read.ReaderSupportsReverseAllBytes = Flag(block2.ReaderSupportsReverseAllBytes);
    read.ReaderSupportsAsciiExtended = Flag(block2.ExtendedAscii);
    read.ReaderSupportsExtendedMode = Flag(block2.ExtendedOutputCapable);
    read.EnableVastrelMode = Flag(block2.Vastrel);
    AssignThroughSetters(read, configuration);
}

}  // namespace Tav
