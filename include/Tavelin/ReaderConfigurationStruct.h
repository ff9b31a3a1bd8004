#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "Tavelin/ElvarinException.h"

namespace TavCommon {

// One reader configuration as hosts and configuration files see it: every setting of the five
// configuration blocks in one flat 71-byte record, times in milliseconds, strip counts as totals and
// the leading/trailing and card-gone characters as small arrays. The layout is fixed for hosts.
//
// The setters check their value before writing, so a failed setter leaves the record unchanged,
// and return the record so calls chain. The fields themselves are not guarded: a record copied
// from a host may hold any counts, and the character accessors stay inside their arrays whatever
// the counts say.
#pragma pack(push, 1)
struct ReaderConfiguration {
    uint8_t FacDigitCount{};
    uint8_t IdDigitCount{};
    uint8_t TotalStripLeadingParityCount{};
    uint8_t TotalStripTrailingParityCount{};
    uint8_t IdBitCount{};
    uint8_t ExpectedBitCount{};
    uint8_t IdAndFacDelimiter{};
    uint8_t TerminationCharacter{};
    uint8_t UseFixedLengthForFacAndId{};
    uint8_t EnforceExpectedBitCount{};
    uint8_t StripFacFromId{};
    uint8_t SendFacAfterStripping{};
    uint8_t UseIdAndFacDelimiter{};
    uint8_t DisableKeystrokeTerminationCharacter{};
    uint8_t EnableContinuousRead{};
    uint8_t DisableKeystroking{};
    uint16_t LegacyBitStreamTimeOutMs{};
    uint16_t DataHoldTimeMs{};
    uint16_t LockOutTimeMs{};
    uint16_t KeyPressTimeMs{};
    uint16_t KeyReleaseTimeMs{};
    uint8_t EnableIdExtendedPrecision{};
    uint8_t UseLowercaseHex{};
    uint8_t EnableProxProEmulation{};
    uint8_t EnableHexadecimalId{};
    uint8_t EnableHexadecimalFac{};
    uint8_t UseIndividualIdAndFacNumberFormats{};
    uint8_t UseNumericKeypad{};
    uint8_t ReaderSupportsReverseAllBytes{};  // reader capability: not compared
    uint8_t ReaderSupportsAsciiExtended{};    // reader capability: not compared
    uint8_t ReaderSupportsExtendedMode{};     // reader capability: not compared
    uint8_t EnableVastrelMode{};
    uint8_t EnableRedLed{};
    uint8_t EnableGreenLed{};
    uint8_t EnableOemRelay{};
    uint8_t EnableOemBeeper{};
    uint8_t UxLed{};  // never written to a reader: not compared
    uint8_t UseLeadingCharacters{};
    uint8_t EnabledSoftwareControlledLed{};
    uint8_t UseHexadecimalForBothFacAndId{};
    uint8_t InvertWiegandBits{};
    uint8_t EnableBeepOnCardRead{};
    uint8_t ReverseWiegandBits{};
    uint8_t ReverseWiegandBytes{};
    uint8_t UseDataInvert{};
    uint8_t CardGoneCharacter[2]{};  // 0 marks a free slot
    uint8_t LeadingCharacterCount{};
    uint8_t TrailingCharacterCount{};
    uint8_t LeadingTrailingCharacters[3]{};  // the leading characters, then the trailing ones
    uint8_t UseIndividualIdAndFacFixedLengths{};
    uint8_t UseFixedLengthFac{};
    uint8_t UseFixedLengthId{};
    uint8_t CfgRb3{};
    uint8_t CfgRb4{};
    uint8_t EnableFacExtendedPrecision{};
    uint8_t AzertyKeyboardShift{};
    uint8_t EnableExtendedMode{};
    uint8_t DisableCardConfiguration{};
    uint16_t CardType{};
    uint8_t HighPriorityCardType{};
    uint8_t SorwynCompatibilityCharacter{};
    uint8_t SorwynCharacterCount{};

    static constexpr std::size_t kLeadingTrailingSlots = 3;
    static constexpr std::size_t kCardGoneSlots = 2;

    ReaderConfiguration& SetFacDigitCount(uint32_t value) {
        ThrowExceptionForPropertyOutOfRange("ReaderConfigurationStruct::FacDigitCount", value, 0u, 26u);
        FacDigitCount = static_cast<uint8_t>(value);
        return *this;
    }
    ReaderConfiguration& SetIdDigitCount(uint32_t value) {
        ThrowExceptionForPropertyOutOfRange("ReaderConfigurationStruct::IdDigitCount", value, 0u, 26u);
        IdDigitCount = static_cast<uint8_t>(value);
        return *this;
    }
    ReaderConfiguration& SetTotalStripLeadingParityCount(uint32_t value) {
        ThrowExceptionForPropertyOutOfRange("ReaderConfigurationStruct::TotalStripLeadingParityCount", value, 0u, 142u);
        TotalStripLeadingParityCount = static_cast<uint8_t>(value);
        return *this;
    }
    ReaderConfiguration& SetTotalStripTrailingParityCount(uint32_t value) {
        ThrowExceptionForPropertyOutOfRange("ReaderConfigurationStruct::TotalStripTrailingParityCount", value, 0u,
                                            142u);
        TotalStripTrailingParityCount = static_cast<uint8_t>(value);
        return *this;
    }
    ReaderConfiguration& SetIdBitCount(uint8_t value) { return Store(IdBitCount, value); }
    ReaderConfiguration& SetExpectedBitCount(uint8_t value) { return Store(ExpectedBitCount, value); }
    ReaderConfiguration& SetIdAndFacDelimiter(uint8_t value) { return Store(IdAndFacDelimiter, value); }
    ReaderConfiguration& SetTerminationCharacter(uint8_t value) { return Store(TerminationCharacter, value); }
    ReaderConfiguration& SetUseFixedLengthForFacAndId(uint8_t value) { return Store(UseFixedLengthForFacAndId, value); }
    ReaderConfiguration& SetEnforceExpectedBitCount(uint8_t value) { return Store(EnforceExpectedBitCount, value); }
    ReaderConfiguration& SetStripFacFromId(uint8_t value) { return Store(StripFacFromId, value); }
    ReaderConfiguration& SetSendFacAfterStripping(uint8_t value) { return Store(SendFacAfterStripping, value); }
    ReaderConfiguration& SetUseIdAndFacDelimiter(uint8_t value) { return Store(UseIdAndFacDelimiter, value); }
    ReaderConfiguration& SetDisableKeystrokeTerminationCharacter(uint8_t value) {
        return Store(DisableKeystrokeTerminationCharacter, value);
    }
    ReaderConfiguration& SetEnableContinuousRead(uint8_t value) { return Store(EnableContinuousRead, value); }
    ReaderConfiguration& SetDisableKeystroking(uint8_t value) { return Store(DisableKeystroking, value); }

    ReaderConfiguration& SetLegacyBitStreamTimeOutMs(uint32_t value) {
        CheckTime(value, 4, "LegacyBitStreamTimeOutMs must be a multiple of 4 milliseconds",
                  "ReaderConfigurationStruct::LegacyBitStreamTimeOutMs", __func__);
        LegacyBitStreamTimeOutMs = static_cast<uint16_t>(value);
        return *this;
    }
    ReaderConfiguration& SetDataHoldTimeMs(uint32_t value) {
        CheckTime(value, 50, "DataHoldTimeMs must be a multiple of 50 milliseconds",
                  "ReaderConfigurationStruct::DataHoldTimeMs", __func__);
        DataHoldTimeMs = static_cast<uint16_t>(value);
        return *this;
    }
    ReaderConfiguration& SetLockOutTimeMs(uint32_t value) {
        CheckTime(value, 50, "LockOutTimeMs must be a multiple of 50 milliseconds",
                  "ReaderConfigurationStruct::LockOutTimeMs", __func__);
        LockOutTimeMs = static_cast<uint16_t>(value);
        return *this;
    }
    ReaderConfiguration& SetKeyPressTimeMs(uint32_t value) {
        CheckTime(value, 4, "KeyPressTimeMs must be a multiple of 4 milliseconds",
                  "ReaderConfigurationStruct::KeyPressTimeMs", __func__);
        KeyPressTimeMs = static_cast<uint16_t>(value);
        return *this;
    }
    ReaderConfiguration& SetKeyReleaseTimeMs(uint32_t value) {
        CheckTime(value, 4, "KeyReleaseTimeMs must be a multiple of 4 milliseconds",
                  "ReaderConfigurationStruct::KeyReleaseTimeMs", __func__);
        KeyReleaseTimeMs = static_cast<uint16_t>(value);
        return *this;
    }

    ReaderConfiguration& SetEnableIdExtendedPrecision(uint8_t value) { return Store(EnableIdExtendedPrecision, value); }
    ReaderConfiguration& SetUseLowercaseHex(uint8_t value) { return Store(UseLowercaseHex, value); }
    ReaderConfiguration& SetEnableProxProEmulation(uint8_t value) { return Store(EnableProxProEmulation, value); }
    ReaderConfiguration& SetEnableHexadecimalId(uint8_t value) { return Store(EnableHexadecimalId, value); }
    ReaderConfiguration& SetEnableHexadecimalFac(uint8_t value) { return Store(EnableHexadecimalFac, value); }
    ReaderConfiguration& SetUseIndividualIdAndFacNumberFormats(uint8_t value) {
        return Store(UseIndividualIdAndFacNumberFormats, value);
    }
    ReaderConfiguration& SetUseNumericKeypad(uint8_t value) { return Store(UseNumericKeypad, value); }
    ReaderConfiguration& SetReaderSupportsReverseAllBytes(uint8_t value) {
        return Store(ReaderSupportsReverseAllBytes, value);
    }
    ReaderConfiguration& SetReaderSupportsAsciiExtended(uint8_t value) {
        return Store(ReaderSupportsAsciiExtended, value);
    }
    ReaderConfiguration& SetReaderSupportsExtendedMode(uint8_t value) {
        return Store(ReaderSupportsExtendedMode, value);
    }
    ReaderConfiguration& SetEnableVastrelMode(uint8_t value) { return Store(EnableVastrelMode, value); }
    ReaderConfiguration& SetEnableRedLed(uint8_t value) { return Store(EnableRedLed, value); }
    ReaderConfiguration& SetEnableGreenLed(uint8_t value) { return Store(EnableGreenLed, value); }
    ReaderConfiguration& SetEnableOemRelay(uint8_t value) { return Store(EnableOemRelay, value); }
    ReaderConfiguration& SetEnableOemBeeper(uint8_t value) { return Store(EnableOemBeeper, value); }
    ReaderConfiguration& SetUxLed(uint8_t value) { return Store(UxLed, value); }
    ReaderConfiguration& SetUseLeadingCharacters(uint8_t value) { return Store(UseLeadingCharacters, value); }
    ReaderConfiguration& SetEnabledSoftwareControlledLed(uint8_t value) {
        return Store(EnabledSoftwareControlledLed, value);
    }
    ReaderConfiguration& SetUseHexadecimalForBothFacAndId(uint8_t value) {
        return Store(UseHexadecimalForBothFacAndId, value);
    }
    ReaderConfiguration& SetInvertWiegandBits(uint8_t value) { return Store(InvertWiegandBits, value); }
    ReaderConfiguration& SetEnableBeepOnCardRead(uint8_t value) { return Store(EnableBeepOnCardRead, value); }
    ReaderConfiguration& SetReverseWiegandBits(uint8_t value) { return Store(ReverseWiegandBits, value); }
    ReaderConfiguration& SetReverseWiegandBytes(uint8_t value) { return Store(ReverseWiegandBytes, value); }
    ReaderConfiguration& SetUseDataInvert(uint8_t value) { return Store(UseDataInvert, value); }
    ReaderConfiguration& SetUseIndividualIdAndFacFixedLengths(uint8_t value) {
        return Store(UseIndividualIdAndFacFixedLengths, value);
    }
    ReaderConfiguration& SetUseFixedLengthFac(uint8_t value) { return Store(UseFixedLengthFac, value); }
    ReaderConfiguration& SetUseFixedLengthId(uint8_t value) { return Store(UseFixedLengthId, value); }
    ReaderConfiguration& SetCfgRb3(uint8_t value) { return Store(CfgRb3, value); }
    ReaderConfiguration& SetCfgRb4(uint8_t value) { return Store(CfgRb4, value); }
    ReaderConfiguration& SetEnableFacExtendedPrecision(uint8_t value) {
        return Store(EnableFacExtendedPrecision, value);
    }
    ReaderConfiguration& SetAzertyKeyboardShift(uint8_t value) { return Store(AzertyKeyboardShift, value); }
    ReaderConfiguration& SetEnableExtendedMode(uint8_t value) { return Store(EnableExtendedMode, value); }
    ReaderConfiguration& SetDisableCardConfiguration(uint8_t value) { return Store(DisableCardConfiguration, value); }
    ReaderConfiguration& SetCardType(uint16_t value) {
        CardType = value;
        return *this;
    }
    ReaderConfiguration& SetHighPriorityCardType(uint8_t value) { return Store(HighPriorityCardType, value); }
    ReaderConfiguration& SetSorwynCompatibilityCharacter(uint8_t value) {
        return Store(SorwynCompatibilityCharacter, value);
    }
    ReaderConfiguration& SetSorwynCharacterCount(uint8_t value) { return Store(SorwynCharacterCount, value); }

    // Fills the first free card-gone slot; 0 leaves the slots as they are.
    ReaderConfiguration& AddCardGoneCharacter(uint8_t character) {
        for (uint8_t& slot : CardGoneCharacter) {
            if (slot == 0) {
                slot = character;
                return *this;
            }
        }
        Fail("Cannot add more than 2 Card Gone Characters", __LINE__, __func__);
    }

    // Inserts after the leading characters already present; the trailing ones move up one slot.
    ReaderConfiguration& AddLeadingCharacter(uint8_t character) {
        if (character == 0) {
            return *this;
        }
        const std::size_t used = UsedLeadingTrailingSlots(__func__);
        for (std::size_t slot = used; slot > LeadingCharacterCount; --slot) {
            LeadingTrailingCharacters[slot] = LeadingTrailingCharacters[slot - 1];
        }
        LeadingTrailingCharacters[LeadingCharacterCount] = character;
        ++LeadingCharacterCount;
        return *this;
    }

    ReaderConfiguration& AddTrailingCharacter(uint8_t character) {
        if (character == 0) {
            return *this;
        }
        LeadingTrailingCharacters[UsedLeadingTrailingSlots(__func__)] = character;
        ++TrailingCharacterCount;
        return *this;
    }

    // Leading character index, or 0 when there is no such character.
    uint8_t GetLeadingCharacter(std::size_t index) const {
        return index < LeadingCharacterCount && index < kLeadingTrailingSlots ? LeadingTrailingCharacters[index] : 0;
    }

    // Trailing character index (stored after the leading ones), or 0 when there is no such character.
    uint8_t GetTrailingCharacter(std::size_t index) const {
        const std::size_t slot = LeadingCharacterCount + index;
        return index < TrailingCharacterCount && slot < kLeadingTrailingSlots ? LeadingTrailingCharacters[slot] : 0;
    }

    // Field by field, except the reader-capability fields and UxLed, which no reader stores per
    // configuration. Every character slot counts, whatever the counts say.
    bool operator==(const ReaderConfiguration& other) const {
        ReaderConfiguration left = *this;
        ReaderConfiguration right = other;
        left.ClearUncomparedFields();
        right.ClearUncomparedFields();
        return std::memcmp(&left, &right, sizeof(ReaderConfiguration)) == 0;
    }
    bool operator!=(const ReaderConfiguration& other) const { return !(*this == other); }

private:
    ReaderConfiguration& Store(uint8_t& field, uint8_t value) {
        field = value;
        return *this;
    }

    // A step failure is reported before a range failure.
    static void CheckTime(uint32_t value, uint32_t step, const char* stepMessage, const char* propertyName,
                          const char* function) {
        if (value % step != 0) {
            throw ElvarinException(stepMessage, "ReaderConfigurationStruct", __LINE__, function);
        }
        ThrowExceptionForPropertyOutOfRange(propertyName, value, 0u, step * 255u);
    }

    // Slots in use by leading and trailing characters together. Counts that come from a host or a
    // file may claim more than the three slots; such a record counts as full.
    std::size_t UsedLeadingTrailingSlots(const char* function) const {
        const std::size_t used = std::size_t{LeadingCharacterCount} + TrailingCharacterCount;
        if (used >= kLeadingTrailingSlots) {
            Fail("Cannot add more than 3 Leading/Trailing Characters in total", __LINE__, function);
        }
        return used;
    }

    [[noreturn]] static void Fail(const char* message, int line, const char* function) {
        throw ElvarinException(message, "ReaderConfigurationStruct", line, function);
    }

    void ClearUncomparedFields() {
        ReaderSupportsReverseAllBytes = 0;
        ReaderSupportsAsciiExtended = 0;
        ReaderSupportsExtendedMode = 0;
        UxLed = 0;
    }
};
#pragma pack(pop)

static_assert(sizeof(ReaderConfiguration) == 71);
static_assert(offsetof(ReaderConfiguration, DisableKeystroking) == 15);
static_assert(offsetof(ReaderConfiguration, LegacyBitStreamTimeOutMs) == 16);
static_assert(offsetof(ReaderConfiguration, DataHoldTimeMs) == 18);
static_assert(offsetof(ReaderConfiguration, LockOutTimeMs) == 20);
static_assert(offsetof(ReaderConfiguration, KeyPressTimeMs) == 22);
static_assert(offsetof(ReaderConfiguration, KeyReleaseTimeMs) == 24);
static_assert(offsetof(ReaderConfiguration, EnableIdExtendedPrecision) == 26);
static_assert(offsetof(ReaderConfiguration, ReaderSupportsReverseAllBytes) == 33);
static_assert(offsetof(ReaderConfiguration, EnableVastrelMode) == 36);
static_assert(offsetof(ReaderConfiguration, EnableRedLed) == 37);
static_assert(offsetof(ReaderConfiguration, UxLed) == 41);
static_assert(offsetof(ReaderConfiguration, UseDataInvert) == 49);
static_assert(offsetof(ReaderConfiguration, CardGoneCharacter) == 50);
static_assert(offsetof(ReaderConfiguration, LeadingCharacterCount) == 52);
static_assert(offsetof(ReaderConfiguration, TrailingCharacterCount) == 53);
static_assert(offsetof(ReaderConfiguration, LeadingTrailingCharacters) == 54);
static_assert(offsetof(ReaderConfiguration, UseIndividualIdAndFacFixedLengths) == 57);
static_assert(offsetof(ReaderConfiguration, EnableExtendedMode) == 64);
static_assert(offsetof(ReaderConfiguration, DisableCardConfiguration) == 65);
static_assert(offsetof(ReaderConfiguration, CardType) == 66);
static_assert(offsetof(ReaderConfiguration, HighPriorityCardType) == 68);
static_assert(offsetof(ReaderConfiguration, SorwynCharacterCount) == 70);

}  // namespace TavCommon
