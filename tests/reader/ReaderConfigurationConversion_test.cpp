#include "reader/ReaderConfigurationConversion.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
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

// "<Block>::<Member>=<value>" for every member of the five blocks that differs from base, read
// through the blocks' own member tables.
template <typename Block>
void AppendChanged(const Block& block, const Block& base, std::string& text) {
    for (const auto& member : Block::Members()) {
        if (member.Get(block) != member.Get(base)) {
            text += (text.empty() ? "" : " ") + std::string(Block::kTypeName) + "::" + std::string(member.Name) + "=" +
                    std::to_string(member.Get(block));
        }
    }
}

std::string ChangedMembers(const TavProtocol::ReaderConfiguration& blocks) {
    const TavProtocol::ReaderConfiguration base = ReaderConfigurationConversion::ToBlocks(ReaderConfiguration{});
    std::string text;
    AppendChanged(blocks.Block1, base.Block1, text);
    AppendChanged(blocks.Block2, base.Block2, text);
    AppendChanged(blocks.Block3, base.Block3, text);
    AppendChanged(blocks.Block4, base.Block4, text);
    AppendChanged(blocks.Block5, base.Block5, text);
    return text;
}

// Which members carry each field, written down apart from the library's own pairing: a field set
// alone reaches exactly these members, with these values, and reads back as itself. A field sent
// to another field's member, or carried one way only, shows here.
TEST(ReaderConfigurationConversion, EachFieldAloneReachesItsOwnMembersAndReadsBack) {
    struct Case {
        const char* field;
        std::function<void(ReaderConfiguration&)> set;
        std::string members;
    };
    // clang-format off
#define FIELD(name, value) #name, [](ReaderConfiguration& c) { c.name = value; }
    const std::vector<Case> cases{
        {FIELD(FacDigitCount, 7), "ReaderConfigurationBlock1::FacDigitCount=7"},
        {FIELD(IdDigitCount, 9), "ReaderConfigurationBlock1::IdDigitCount=9"},
        {FIELD(TotalStripLeadingParityCount, 3), "ReaderConfigurationBlock1::StripLeadingParityCount=3"},
        {FIELD(TotalStripLeadingParityCount, 20),
         "ReaderConfigurationBlock1::StripLeadingParityCount=15 ReaderConfigurationBlock4::LeadingParityBig=5"},
        {FIELD(TotalStripTrailingParityCount, 4), "ReaderConfigurationBlock1::StripTrailingParityCount=4"},
        {FIELD(TotalStripTrailingParityCount, 142),
         "ReaderConfigurationBlock1::StripTrailingParityCount=15 ReaderConfigurationBlock4::TrailingParityBig=127"},
        {FIELD(IdBitCount, 26), "ReaderConfigurationBlock1::IdBitCount=26"},
        {FIELD(ExpectedBitCount, 35), "ReaderConfigurationBlock1::ExpectedBitCount=35"},
        {FIELD(IdAndFacDelimiter, 0x3A), "ReaderConfigurationBlock1::IdAndFacDelimiter=58"},
        {FIELD(TerminationCharacter, 0x28), "ReaderConfigurationBlock1::TerminationCharacter=40"},
        {FIELD(UseFixedLengthForFacAndId, 1), "ReaderConfigurationBlock1::UseFixedLengthForFacAndId=1"},
        {FIELD(EnforceExpectedBitCount, 1), "ReaderConfigurationBlock1::EnforceExpectedBitCount=1"},
        {FIELD(StripFacFromId, 1), "ReaderConfigurationBlock1::StripFacFromId=1"},
        {FIELD(SendFacAfterStripping, 1), "ReaderConfigurationBlock1::SendFacAfterStrippingIt=1"},
        {FIELD(UseIdAndFacDelimiter, 1), "ReaderConfigurationBlock1::UseIdAndFacDelimiter=1"},
        {FIELD(DisableKeystrokeTerminationCharacter, 1),
         "ReaderConfigurationBlock1::DisableKeystrokeTerminationCharacter=1"},
        {FIELD(EnableContinuousRead, 1), "ReaderConfigurationBlock1::EnableContinuousRead=1"},
        {FIELD(DisableKeystroking, 1), "ReaderConfigurationBlock1::DisableKeystroking=1"},
        {FIELD(DataHoldTimeMs, 150), "ReaderConfigurationBlock2::DataHoldTime=3"},
        {FIELD(LockOutTimeMs, 250), "ReaderConfigurationBlock2::LockOutTime=5"},
        {FIELD(KeyPressTimeMs, 28), "ReaderConfigurationBlock2::KeyPressTime=7"},
        {FIELD(KeyReleaseTimeMs, 44), "ReaderConfigurationBlock2::KeyReleaseTime=11"},
        {FIELD(EnableIdExtendedPrecision, 1), "ReaderConfigurationBlock2::ExtendedPrecisionMath=1"},
        {FIELD(UseLowercaseHex, 1), "ReaderConfigurationBlock2::LowercaseHex=1"},
        {FIELD(EnableProxProEmulation, 1), "ReaderConfigurationBlock2::EmulateProxPro=1"},
        {FIELD(EnableHexadecimalId, 1), "ReaderConfigurationBlock2::SendIdAsHex=1"},
        {FIELD(EnableHexadecimalFac, 1), "ReaderConfigurationBlock2::SendFacAsHex=1"},
        {FIELD(UseIndividualIdAndFacNumberFormats, 1), "ReaderConfigurationBlock2::ExtendFacIdHexCapable=1"},
        {FIELD(UseNumericKeypad, 1), "ReaderConfigurationBlock2::UseNumericKeypad=1"},
        {FIELD(EnableRedLed, 1), "ReaderConfigurationBlock3::LedRed=1"},
        {FIELD(EnableGreenLed, 1), "ReaderConfigurationBlock3::LedGreen=1"},
        {FIELD(EnableOemRelay, 1), "ReaderConfigurationBlock3::OemRelay=1"},
        {FIELD(EnableOemBeeper, 1), "ReaderConfigurationBlock3::OemBeeper=1"},
        {FIELD(UseLeadingCharacters, 1), "ReaderConfigurationBlock3::UseLeadChars=1"},
        {FIELD(EnabledSoftwareControlledLed, 1), "ReaderConfigurationBlock3::LedControlFlag=1"},
        {FIELD(UseHexadecimalForBothFacAndId, 1), "ReaderConfigurationBlock3::DisplayFormatHex=1"},
        {FIELD(InvertWiegandBits, 1), "ReaderConfigurationBlock3::WiegandDataInvert=1"},
        {FIELD(EnableBeepOnCardRead, 1), "ReaderConfigurationBlock3::BeepIdValid=1"},
        {FIELD(ReverseWiegandBits, 1), "ReaderConfigurationBlock3::WiegandBitReverse=1"},
        {FIELD(ReverseWiegandBytes, 1), "ReaderConfigurationBlock3::WiegandByteReverse=1"},
        {FIELD(UseDataInvert, 1), "ReaderConfigurationBlock3::UseDataInvert=1"},
        {FIELD(CardGoneCharacter[0], 0x2C), "ReaderConfigurationBlock3::CardGoneCharacter1=44"},
        {"both card-gone characters",
         [](ReaderConfiguration& c) { c.AddCardGoneCharacter(0x2C).AddCardGoneCharacter(0x2D); },
         "ReaderConfigurationBlock3::CardGoneCharacter1=44 ReaderConfigurationBlock3::CardGoneCharacter2=45"},
        {"one leading and two trailing characters",
         [](ReaderConfiguration& c) { c.AddLeadingCharacter(4).AddTrailingCharacter(5).AddTrailingCharacter(6); },
         "ReaderConfigurationBlock3::LeadingCharCount=1 ReaderConfigurationBlock3::TrailingCharCount=2 "
         "ReaderConfigurationBlock3::LeadingTrailingCharacter0=4 ReaderConfigurationBlock3::LeadingTrailingCharacter1=5 "
         "ReaderConfigurationBlock3::LeadingTrailingCharacter2=6"},
        {FIELD(UseIndividualIdAndFacFixedLengths, 1), "ReaderConfigurationBlock4::SplitFixedLength=1"},
        {FIELD(UseFixedLengthFac, 1), "ReaderConfigurationBlock4::FixedLengthFac=1"},
        {FIELD(UseFixedLengthId, 1), "ReaderConfigurationBlock4::FixedLengthId=1"},
        {FIELD(CfgRb3, 0x33), "ReaderConfigurationBlock4::CfgRb3=51"},
        {FIELD(CfgRb4, 0x44), "ReaderConfigurationBlock4::CfgRb4=68"},
        {FIELD(EnableFacExtendedPrecision, 1), "ReaderConfigurationBlock4::HighPrecisionFac=1"},
        {FIELD(AzertyKeyboardShift, 1), "ReaderConfigurationBlock4::AzertyKeyboardShift=1"},
        {FIELD(EnableExtendedMode, 1), "ReaderConfigurationBlock4::EnableExtendedMode=1"},
        {FIELD(DisableCardConfiguration, 1), "ReaderConfigurationBlock5::DisableCardConfiguration=1"},
        {FIELD(CardType, 0x7E01), "ReaderConfigurationBlock5::CardType=32257"},
        {FIELD(HighPriorityCardType, 1), "ReaderConfigurationBlock5::SetHighPriorityCardType=1"},
        {FIELD(SorwynCompatibilityCharacter, 0x21), "ReaderConfigurationBlock5::SorwynCompatibilityCharacter=33"},
        {FIELD(SorwynCharacterCount, 3), "ReaderConfigurationBlock5::SorwynCharacterCount=3"},
    };
#undef FIELD
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        ReaderConfiguration alone;
        c.set(alone);
        const TavProtocol::ReaderConfiguration blocks = ReaderConfigurationConversion::ToBlocks(alone);
        EXPECT_EQ(ChangedMembers(blocks), c.members);
        ReaderConfiguration readBack;
        ReaderConfigurationConversion::FromBlocks(blocks, readBack);
        EXPECT_EQ(readBack, alone);
    }
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

// The reader's capability members come back into their own fields, one at a time.
TEST(ReaderConfigurationConversion, ReadsEachCapabilityMemberIntoItsOwnField) {
    struct Case {
        uint8_t TavProtocol::ReaderConfigurationBlock2::*member;
        uint8_t ReaderConfiguration::*field;
    };
    using Block2 = TavProtocol::ReaderConfigurationBlock2;
    const std::vector<Case> cases{
        {&Block2::ReaderSupportsReverseAllBytes, &ReaderConfiguration::ReaderSupportsReverseAllBytes},
        {&Block2::ExtendedAscii, &ReaderConfiguration::ReaderSupportsAsciiExtended},
        {&Block2::ExtendedOutputCapable, &ReaderConfiguration::ReaderSupportsExtendedMode},
        {&Block2::Vastrel, &ReaderConfiguration::EnableVastrelMode},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        TavProtocol::ReaderConfiguration blocks;
        blocks.Block2.*cases[i].member = 1;
        ReaderConfiguration read;
        ReaderConfigurationConversion::FromBlocks(blocks, read);
        for (std::size_t j = 0; j < cases.size(); ++j) {
            EXPECT_EQ(read.*cases[j].field, i == j ? 1 : 0) << "member " << i << ", field " << j;
        }
    }
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
