#include "reader/ReaderConfigurationConversion.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Tav::ReaderConfigurationConversion;
using TavCommon::ReaderConfiguration;

std::string FailureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ElvarinException& error) {
        return error.Message();
    }
    return "";
}

// A configuration with every field the blocks carry set to a value other than its default.
ReaderConfiguration Busy() {
    ReaderConfiguration c;
    c.SetFacDigitCount(5).SetIdDigitCount(26).SetTotalStripLeadingParityCount(142).SetTotalStripTrailingParityCount(14);
    c.SetIdBitCount(26).SetExpectedBitCount(35).SetIdAndFacDelimiter(':').SetTerminationCharacter(0x28);
    c.SetUseFixedLengthForFacAndId(1).SetEnforceExpectedBitCount(1).SetStripFacFromId(1).SetSendFacAfterStripping(1);
    c.SetUseIdAndFacDelimiter(1).SetDisableKeystrokeTerminationCharacter(1).SetEnableContinuousRead(1);
    c.SetDisableKeystroking(1);
    c.SetDataHoldTimeMs(12750).SetLockOutTimeMs(100).SetKeyPressTimeMs(1020).SetKeyReleaseTimeMs(8);
    c.SetEnableIdExtendedPrecision(1).SetUseLowercaseHex(1).SetEnableProxProEmulation(1).SetEnableHexadecimalId(1);
    c.SetEnableHexadecimalFac(1).SetUseIndividualIdAndFacNumberFormats(1).SetUseNumericKeypad(1);
    c.SetEnableRedLed(1).SetEnableGreenLed(1).SetEnableOemRelay(1).SetEnableOemBeeper(1);
    c.SetUseLeadingCharacters(1).SetEnabledSoftwareControlledLed(1).SetUseHexadecimalForBothFacAndId(1);
    c.SetInvertWiegandBits(1).SetEnableBeepOnCardRead(1).SetReverseWiegandBits(1).SetReverseWiegandBytes(1);
    c.SetUseDataInvert(1).AddCardGoneCharacter(0x2C).AddCardGoneCharacter(0x2D);
    c.AddLeadingCharacter(0x04).AddTrailingCharacter(0x05).AddTrailingCharacter(0x06);
    c.SetUseIndividualIdAndFacFixedLengths(1).SetUseFixedLengthFac(1).SetUseFixedLengthId(1).SetCfgRb3(3).SetCfgRb4(4);
    c.SetEnableFacExtendedPrecision(1).SetAzertyKeyboardShift(1).SetEnableExtendedMode(1);
    c.SetDisableCardConfiguration(1).SetCardType(0x7E01).SetHighPriorityCardType(1);
    c.SetSorwynCompatibilityCharacter(0x21).SetSorwynCharacterCount(3);
    return c;
}

TEST(ReaderConfigurationConversion, SplitsStripCountsAndScalesTimesIntoTheBlocks) {
    const TavProtocol::ReaderConfiguration blocks = ReaderConfigurationConversion::ToBlocks(Busy());
    EXPECT_EQ(blocks.Block1.StripLeadingParityCount, 15);
    EXPECT_EQ(blocks.Block4.LeadingParityBig, 127);
    EXPECT_EQ(blocks.Block1.StripTrailingParityCount, 14);
    EXPECT_EQ(blocks.Block4.TrailingParityBig, 0);
    EXPECT_EQ(blocks.Block2.DataHoldTime, 255);
    EXPECT_EQ(blocks.Block2.LockOutTime, 2);
    EXPECT_EQ(blocks.Block2.KeyPressTime, 255);
    EXPECT_EQ(blocks.Block2.KeyReleaseTime, 2);
    EXPECT_EQ(blocks.Block5.CardType, 0x7E01);
    EXPECT_EQ(blocks.Block3.LeadingCharCount, 1);
    EXPECT_EQ(blocks.Block3.TrailingCharCount, 2);
    EXPECT_EQ(blocks.Block3.LeadingTrailingCharacter2, 0x06);
    EXPECT_EQ(blocks.Block2.___, 1) << "a member no field feeds keeps its default";
}

TEST(ReaderConfigurationConversion, ReadsBackWhatItWrote) {
    const ReaderConfiguration original = Busy();
    ReaderConfiguration readBack;
    ReaderConfigurationConversion::FromBlocks(ReaderConfigurationConversion::ToBlocks(original), readBack);
    EXPECT_EQ(readBack, original);
    EXPECT_EQ(readBack.TotalStripLeadingParityCount, 142);
    EXPECT_EQ(readBack.DataHoldTimeMs, 12750);
}

TEST(ReaderConfigurationConversion, NeverSendsTheFieldsTheReaderOwns) {
    ReaderConfiguration c;
    c.SetUxLed(1).SetReaderSupportsExtendedMode(1).SetReaderSupportsReverseAllBytes(1).SetEnableVastrelMode(1);
    const TavProtocol::ReaderConfiguration blocks = ReaderConfigurationConversion::ToBlocks(c);
    EXPECT_EQ(blocks.Block3.UxLed, 0);
    EXPECT_EQ(blocks.Block2.ExtendedOutputCapable, 0);
    EXPECT_EQ(blocks.Block2.ReaderSupportsReverseAllBytes, 0);
    EXPECT_EQ(blocks.Block2.Vastrel, 0);
}

TEST(ReaderConfigurationConversion, ReadingKeepsTheFieldsTheBlocksDoNotCarry) {
    ReaderConfiguration c;
    c.SetUxLed(1).SetLegacyBitStreamTimeOutMs(400);
    TavProtocol::ReaderConfiguration blocks;
    blocks.Block2.Vastrel = 1;
    blocks.Block1.EnableContinuousRead = 1;
    ReaderConfigurationConversion::FromBlocks(blocks, c);
    EXPECT_EQ(c.UxLed, 1);
    EXPECT_EQ(c.LegacyBitStreamTimeOutMs, 400);
    EXPECT_EQ(c.EnableVastrelMode, 1);
    EXPECT_EQ(c.EnableContinuousRead, 1);
}

// A host record is taken through the setters: what its field cannot hold is refused, never cut.
TEST(ReaderConfigurationConversion, RefusesHostValuesItsFieldsCannotHold) {
    struct Case {
        const char* name;
        std::function<void(ReaderConfiguration&)> spoil;
        std::string message;
    };
    const std::vector<Case> cases{
        {"digit count", [](ReaderConfiguration& c) { c.FacDigitCount = 27; },
         "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive"},
        {"strip count", [](ReaderConfiguration& c) { c.TotalStripTrailingParityCount = 143; },
         "ReaderConfigurationStruct::TotalStripTrailingParityCount setting must be between 0 and 142 inclusive"},
        {"time step", [](ReaderConfiguration& c) { c.DataHoldTimeMs = 60; },
         "DataHoldTimeMs must be a multiple of 50 milliseconds"},
        // 13,000 / 50 = 260 would be 4 in the block's byte.
        {"time range", [](ReaderConfiguration& c) { c.DataHoldTimeMs = 13000; },
         "ReaderConfigurationStruct::DataHoldTimeMs setting must be between 0 and 12750 inclusive"},
        {"key time", [](ReaderConfiguration& c) { c.KeyPressTimeMs = 1024; },
         "ReaderConfigurationStruct::KeyPressTimeMs setting must be between 0 and 1020 inclusive"},
        {"character counts", [](ReaderConfiguration& c) {
             c.LeadingCharacterCount = 200;
             c.TrailingCharacterCount = 200;
         },
         "Cannot add more than 3 Leading/Trailing Characters in total"},
        {"four characters", [](ReaderConfiguration& c) {
             c.LeadingCharacterCount = 2;
             c.TrailingCharacterCount = 2;
         },
         "Cannot add more than 3 Leading/Trailing Characters in total"},
    };
    for (const Case& c : cases) {
        ReaderConfiguration configuration;
        c.spoil(configuration);
        EXPECT_EQ(FailureOf([&] { ReaderConfigurationConversion::ToBlocks(configuration); }), c.message) << c.name;
    }
}

TEST(ReaderConfigurationConversion, HostFlagsOfAnyNonZeroValueAreSentAsOne) {
    ReaderConfiguration c;
    c.EnableRedLed = 0x80;
    c.DisableKeystroking = 2;
    c.HighPriorityCardType = 0xFF;
    const TavProtocol::ReaderConfiguration blocks = ReaderConfigurationConversion::ToBlocks(c);
    EXPECT_EQ(blocks.Block3.LedRed, 1);
    EXPECT_EQ(blocks.Block1.DisableKeystroking, 1);
    EXPECT_EQ(blocks.Block5.SetHighPriorityCardType, 1);
}

TEST(ReaderConfigurationConversion, RefusesReaderBlocksTheRecordCannotHold) {
    struct Case {
        const char* name;
        std::function<void(TavProtocol::ReaderConfiguration&)> spoil;
        std::string message;
    };
    const std::vector<Case> cases{
        {"character counts past the three slots",
         [](TavProtocol::ReaderConfiguration& b) {
             b.Block3.LeadingCharCount = 3;
             b.Block3.TrailingCharCount = 3;
         },
         "Cannot add more than 3 Leading/Trailing Characters in total"},
        // 15 + 255 does not wrap to a small count.
        {"strip sum above a byte",
         [](TavProtocol::ReaderConfiguration& b) {
             b.Block1.StripTrailingParityCount = 15;
             b.Block4.TrailingParityBig = 255;
         },
         "ReaderConfigurationStruct::TotalStripTrailingParityCount setting must be between 0 and 142 inclusive"},
        {"digit count", [](TavProtocol::ReaderConfiguration& b) { b.Block1.IdDigitCount = 30; },
         "ReaderConfigurationStruct::IdDigitCount setting must be between 0 and 26 inclusive"},
    };
    for (const Case& c : cases) {
        TavProtocol::ReaderConfiguration blocks;
        c.spoil(blocks);
        ReaderConfiguration configuration;
        EXPECT_EQ(FailureOf([&] { ReaderConfigurationConversion::FromBlocks(blocks, configuration); }), c.message)
            << c.name;
    }
}

TEST(ReaderConfigurationConversion, ReadingIntoARecordThatHoldsCharactersAddsToThem) {
    TavProtocol::ReaderConfiguration blocks;
    blocks.Block3.CardGoneCharacter1 = 0x2C;
    ReaderConfiguration full;
    full.AddCardGoneCharacter(1).AddCardGoneCharacter(2);
    EXPECT_EQ(FailureOf([&] { ReaderConfigurationConversion::FromBlocks(blocks, full); }),
              "Cannot add more than 2 Card Gone Characters");
}

}  // namespace
