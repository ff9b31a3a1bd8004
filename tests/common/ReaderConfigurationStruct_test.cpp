#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Tavelin/ReaderConfigurationStruct.h"

namespace {

using TavCommon::ReaderConfiguration;

struct SetterCase {
    const char* setter;
    std::function<void(ReaderConfiguration&, uint32_t)> set;
    std::function<uint32_t(const ReaderConfiguration&)> stored;
    uint32_t value;
    std::string message;  // empty: the value is stored
};

#define TAV_SETTER(Field)                    \
#Field,                                  \
        [](ReaderConfiguration & c,          \
           uint32_t v) { c.Set##Field(v); }, \
                                          [](const ReaderConfiguration& c) { return static_cast<uint32_t>(c.Field); }

TEST(ReaderConfigurationSetterTest, ChecksEachValueBeforeStoringIt) {
    const std::string step = " must be a multiple of ";
    const std::vector<SetterCase> cases{
        {TAV_SETTER(FacDigitCount), 0, ""},
        {TAV_SETTER(FacDigitCount), 26, ""},
        {TAV_SETTER(FacDigitCount), 27,
         "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive"},
        // 282 would be 26 in eight bits: the full value is checked.
        {TAV_SETTER(FacDigitCount), 282,
         "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive"},
        {TAV_SETTER(IdDigitCount), 26, ""},
        {TAV_SETTER(IdDigitCount), 4294967295u,
         "ReaderConfigurationStruct::IdDigitCount setting must be between 0 and 26 inclusive"},
        {TAV_SETTER(TotalStripLeadingParityCount), 142, ""},
        {TAV_SETTER(TotalStripLeadingParityCount), 143,
         "ReaderConfigurationStruct::TotalStripLeadingParityCount setting must be between 0 and 142 inclusive"},
        {TAV_SETTER(TotalStripTrailingParityCount), 142, ""},
        {TAV_SETTER(TotalStripTrailingParityCount), 399,
         "ReaderConfigurationStruct::TotalStripTrailingParityCount setting must be between 0 and 142 inclusive"},
        {TAV_SETTER(LegacyBitStreamTimeOutMs), 0, ""},
        {TAV_SETTER(LegacyBitStreamTimeOutMs), 1020, ""},
        {TAV_SETTER(LegacyBitStreamTimeOutMs), 1018, "LegacyBitStreamTimeOutMs must be a multiple of 4 milliseconds"},
        {TAV_SETTER(LegacyBitStreamTimeOutMs), 1024,
         "ReaderConfigurationStruct::LegacyBitStreamTimeOutMs setting must be between 0 and 1020 inclusive"},
        {TAV_SETTER(DataHoldTimeMs), 0, ""},
        {TAV_SETTER(DataHoldTimeMs), 12750, ""},
        {TAV_SETTER(DataHoldTimeMs), 12800,
         "ReaderConfigurationStruct::DataHoldTimeMs setting must be between 0 and 12750 inclusive"},
        {TAV_SETTER(DataHoldTimeMs), 25, "DataHoldTimeMs must be a multiple of 50 milliseconds"},
        // A value that is wrong both ways reports the step.
        {TAV_SETTER(DataHoldTimeMs), 12801, "DataHoldTimeMs must be a multiple of 50 milliseconds"},
        {TAV_SETTER(LockOutTimeMs), 50, ""},
        {TAV_SETTER(LockOutTimeMs), 49, "LockOutTimeMs must be a multiple of 50 milliseconds"},
        {TAV_SETTER(LockOutTimeMs), 65550,
         "ReaderConfigurationStruct::LockOutTimeMs setting must be between 0 and 12750 inclusive"},
        {TAV_SETTER(KeyPressTimeMs), 1020, ""},
        {TAV_SETTER(KeyPressTimeMs), 1021, "KeyPressTimeMs must be a multiple of 4 milliseconds"},
        {TAV_SETTER(KeyPressTimeMs), 1024,
         "ReaderConfigurationStruct::KeyPressTimeMs setting must be between 0 and 1020 inclusive"},
        {TAV_SETTER(KeyReleaseTimeMs), 4, ""},
        {TAV_SETTER(KeyReleaseTimeMs), 2, "KeyReleaseTimeMs must be a multiple of 4 milliseconds"},
        {TAV_SETTER(KeyReleaseTimeMs), 65536,
         "ReaderConfigurationStruct::KeyReleaseTimeMs setting must be between 0 and 1020 inclusive"},
        // Unchecked fields take any value of their type.
        {TAV_SETTER(IdBitCount), 255, ""},
        {TAV_SETTER(DisableKeystroking), 7, ""},
        {TAV_SETTER(UxLed), 1, ""},
        {TAV_SETTER(EnableExtendedMode), 200, ""},
        {TAV_SETTER(CardType), 0xFB01, ""},
        {TAV_SETTER(SorwynCharacterCount), 3, ""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.setter) + " " + std::to_string(testCase.value));
        ReaderConfiguration configuration;
        configuration.FacDigitCount = 9;  // something to be kept by a failed setter
        const ReaderConfiguration before = configuration;
        if (testCase.message.empty()) {
            testCase.set(configuration, testCase.value);
            EXPECT_EQ(testCase.stored(configuration), testCase.value);
            continue;
        }
        try {
            testCase.set(configuration, testCase.value);
            ADD_FAILURE() << "accepted";
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.Message(), testCase.message);
            const bool rangeFailure = testCase.message.find(" setting must be between ") != std::string::npos;
            EXPECT_EQ(error.File(), rangeFailure ? "ElvarinException" : "ReaderConfigurationStruct");
            EXPECT_EQ(error.Function(),
                      rangeFailure ? "ThrowExceptionForPropertyOutOfRange" : std::string("Set") + testCase.setter);
        }
        EXPECT_EQ(std::memcmp(&configuration, &before, sizeof configuration), 0) << "a failed setter wrote";
    }
}

TEST(ReaderConfigurationSetterTest, SettersChain) {
    ReaderConfiguration configuration;
    configuration.SetFacDigitCount(3).SetIdDigitCount(5).SetDataHoldTimeMs(100).SetCardType(0x6F06).SetUxLed(1);
    EXPECT_EQ(configuration.FacDigitCount, 3);
    EXPECT_EQ(configuration.IdDigitCount, 5);
    EXPECT_EQ(uint16_t{configuration.DataHoldTimeMs}, 100);
    EXPECT_EQ(uint16_t{configuration.CardType}, 0x6F06);
    EXPECT_EQ(configuration.UxLed, 1);
}

TEST(ReaderConfigurationCharacterTest, LeadingCharactersGoBeforeTrailingOnes) {
    ReaderConfiguration configuration;
    configuration.AddLeadingCharacter('A').AddTrailingCharacter('Z').AddLeadingCharacter('B');
    EXPECT_EQ(configuration.LeadingCharacterCount, 2);
    EXPECT_EQ(configuration.TrailingCharacterCount, 1);
    EXPECT_EQ(configuration.LeadingTrailingCharacters[0], 'A');
    EXPECT_EQ(configuration.LeadingTrailingCharacters[1], 'B');
    EXPECT_EQ(configuration.LeadingTrailingCharacters[2], 'Z');
    EXPECT_EQ(configuration.GetLeadingCharacter(0), 'A');
    EXPECT_EQ(configuration.GetLeadingCharacter(1), 'B');
    EXPECT_EQ(configuration.GetLeadingCharacter(2), 0);
    EXPECT_EQ(configuration.GetTrailingCharacter(0), 'Z');
    EXPECT_EQ(configuration.GetTrailingCharacter(1), 0);

    const ReaderConfiguration full = configuration;
    for (const auto add : {&ReaderConfiguration::AddLeadingCharacter, &ReaderConfiguration::AddTrailingCharacter}) {
        try {
            (configuration.*add)('X');
            ADD_FAILURE() << "a fourth character was accepted";
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.Message(), "Cannot add more than 3 Leading/Trailing Characters in total");
            EXPECT_EQ(error.File(), "ReaderConfigurationStruct");
        }
        EXPECT_EQ(configuration, full);
    }
    configuration.AddLeadingCharacter(0).AddTrailingCharacter(0);  // zero is no character, even when full
    EXPECT_EQ(configuration, full);
}

TEST(ReaderConfigurationCharacterTest, HostileCountsNeverReachPastTheThreeSlots) {
    struct Counts {
        uint8_t leading;
        uint8_t trailing;
    };
    for (const Counts counts : {Counts{255, 0}, Counts{0, 255}, Counts{2, 2}, Counts{3, 0}, Counts{200, 200}}) {
        SCOPED_TRACE(std::to_string(counts.leading) + "+" + std::to_string(counts.trailing));
        ReaderConfiguration configuration;
        configuration.LeadingCharacterCount = counts.leading;
        configuration.TrailingCharacterCount = counts.trailing;
        configuration.LeadingTrailingCharacters[0] = 'a';
        configuration.LeadingTrailingCharacters[1] = 'b';
        configuration.LeadingTrailingCharacters[2] = 'c';
        const ReaderConfiguration before = configuration;
        EXPECT_THROW(configuration.AddLeadingCharacter('x'), ElvarinException);
        EXPECT_THROW(configuration.AddTrailingCharacter('x'), ElvarinException);
        EXPECT_EQ(std::memcmp(&configuration, &before, sizeof configuration), 0);
        for (std::size_t i = 0; i < 300; ++i) {
            const uint8_t leading = configuration.GetLeadingCharacter(i);
            const uint8_t trailing = configuration.GetTrailingCharacter(i);
            EXPECT_EQ(leading, i < counts.leading && i < 3 ? "abc"[i] : 0);
            EXPECT_EQ(trailing, i < counts.trailing && counts.leading + i < 3 ? "abc"[counts.leading + i] : 0);
        }
    }
}

TEST(ReaderConfigurationCharacterTest, CardGoneCharactersFillTwoSlots) {
    ReaderConfiguration configuration;
    configuration.AddCardGoneCharacter(0);
    EXPECT_EQ(configuration.CardGoneCharacter[0], 0);
    configuration.AddCardGoneCharacter('\r').AddCardGoneCharacter('\n');
    EXPECT_EQ(configuration.CardGoneCharacter[0], '\r');
    EXPECT_EQ(configuration.CardGoneCharacter[1], '\n');
    try {
        configuration.AddCardGoneCharacter('x');
        FAIL() << "a third card-gone character was accepted";
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.Message(), "Cannot add more than 2 Card Gone Characters");
        EXPECT_EQ(error.File(), "ReaderConfigurationStruct");
        EXPECT_EQ(error.Function(), "AddCardGoneCharacter");
    }
    EXPECT_EQ(configuration.CardGoneCharacter[1], '\n');
}

TEST(ReaderConfigurationEqualityTest, ComparesEveryByteButTheReaderCapabilitiesAndUxLed) {
    const ReaderConfiguration zero;
    for (std::size_t offset = 0; offset < sizeof(ReaderConfiguration); ++offset) {
        ReaderConfiguration changed;
        reinterpret_cast<uint8_t*>(&changed)[offset] = 1;
        const bool ignored = offset == offsetof(ReaderConfiguration, ReaderSupportsReverseAllBytes) ||
                             offset == offsetof(ReaderConfiguration, ReaderSupportsAsciiExtended) ||
                             offset == offsetof(ReaderConfiguration, ReaderSupportsExtendedMode) ||
                             offset == offsetof(ReaderConfiguration, UxLed);
        EXPECT_EQ(changed == zero, ignored) << "byte " << offset;
        EXPECT_EQ(changed != zero, !ignored) << "byte " << offset;
    }
}

TEST(ReaderConfigurationEqualityTest, CharacterSlotsCountWhateverTheCounts) {
    ReaderConfiguration left;
    ReaderConfiguration right;
    right.LeadingTrailingCharacters[2] = 'q';  // beyond both counts (0), still compared
    EXPECT_NE(left, right);
}

}  // namespace
