#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/ReaderConfiguration.h"

namespace {

using namespace TavProtocol;
using Bytes = std::vector<uint8_t>;

// The wire layout written down independently of the library's tables: name, byte, first bit,
// width, and the C++ field itself, reached by its name rather than through the library's table.
template <typename Block>
struct WireMember {
    std::string_view name;
    unsigned byte;
    unsigned firstBit;
    unsigned width;
    void (*set)(Block&, uint32_t);
    uint32_t (*get)(const Block&);
};

// One row of a layout: the field named once, for both its name text and its accessors. Used inside
// a function that names its block type `Block`.
// clang-format off
#define WIRE(field, byte, firstBit, width)                                                      \
    WireMember<Block>{#field, byte, firstBit, width,                                            \
                      [](Block& block, uint32_t value) {                                        \
                          block.field = static_cast<decltype(block.field)>(value);              \
                      },                                                                        \
                      [](const Block& block) -> uint32_t { return block.field; }}
// clang-format on

template <typename Block>
std::vector<WireMember<Block>> WireLayout();

template <>
std::vector<WireMember<ReaderConfigurationBlock1>> WireLayout<ReaderConfigurationBlock1>() {
    using Block = ReaderConfigurationBlock1;
    std::vector<WireMember<Block>> layout = {WIRE(FacDigitCount, 0, 0, 8),
                                             WIRE(IdDigitCount, 1, 0, 8),
                                             WIRE(StripLeadingParityCount, 2, 0, 4),
                                             WIRE(StripTrailingParityCount, 2, 4, 4),
                                             WIRE(IdBitCount, 3, 0, 8),
                                             WIRE(ExpectedBitCount, 4, 0, 8),
                                             WIRE(IdAndFacDelimiter, 5, 0, 8),
                                             WIRE(TerminationCharacter, 6, 0, 8),
                                             WIRE(UseFixedLengthForFacAndId, 7, 0, 1),
                                             WIRE(EnforceExpectedBitCount, 7, 1, 1),
                                             WIRE(StripFacFromId, 7, 2, 1),
                                             WIRE(SendFacAfterStripping, 7, 3, 1),
                                             WIRE(UseIdAndFacDelimiter, 7, 4, 1),
                                             WIRE(DisableKeystrokeTerminationCharacter, 7, 5, 1),
                                             WIRE(EnableContinuousRead, 7, 6, 1),
                                             WIRE(DisableKeystroking, 7, 7, 1)};
    // Range messages name the strip flag by its full name, not by its field's.
    layout[11].name = "SendFacAfterStrippingIt";
    return layout;
}

template <>
std::vector<WireMember<ReaderConfigurationBlock2>> WireLayout<ReaderConfigurationBlock2>() {
    using Block = ReaderConfigurationBlock2;
    return {WIRE(Byte0, 0, 0, 8),
            WIRE(Byte1, 1, 0, 8),
            WIRE(DataHoldTime, 2, 0, 8),
            WIRE(LockOutTime, 3, 0, 8),
            WIRE(KeyPressTime, 4, 0, 8),
            WIRE(KeyReleaseTime, 5, 0, 8),
            WIRE(___, 6, 0, 1),
            WIRE(ExtendedPrecisionMath, 6, 1, 1),
            WIRE(LowercaseHex, 6, 2, 1),
            WIRE(EmulateProxPro, 6, 3, 1),
            WIRE(SendIdAsHex, 6, 4, 1),
            WIRE(SendFacAsHex, 6, 5, 1),
            WIRE(ExtendFacIdHexCapable, 6, 6, 1),
            WIRE(UseNumericKeypad, 6, 7, 1),
            WIRE(____, 7, 0, 4),
            WIRE(ReaderSupportsReverseAllBytes, 7, 4, 1),
            WIRE(ExtendedAscii, 7, 5, 1),
            WIRE(ExtendedOutputCapable, 7, 6, 1),
            WIRE(Vastrel, 7, 7, 1)};
}

template <>
std::vector<WireMember<ReaderConfigurationBlock3>> WireLayout<ReaderConfigurationBlock3>() {
    using Block = ReaderConfigurationBlock3;
    return {WIRE(LedRed, 0, 0, 1),
            WIRE(LedGreen, 0, 1, 1),
            WIRE(OemRelay, 0, 2, 1),
            WIRE(OemBeeper, 0, 3, 1),
            WIRE(UxLed, 0, 4, 1),
            WIRE(_, 0, 5, 3),
            WIRE(UseLeadChars, 1, 0, 1),
            WIRE(LedControlFlag, 1, 1, 1),
            WIRE(DisplayFormatHex, 1, 2, 1),
            WIRE(WiegandDataInvert, 1, 3, 1),
            WIRE(BeepIdValid, 1, 4, 1),
            WIRE(WiegandBitReverse, 1, 5, 1),
            WIRE(WiegandByteReverse, 1, 6, 1),
            WIRE(UseDataInvert, 1, 7, 1),
            WIRE(CardGoneCharacter1, 2, 0, 8),
            WIRE(CardGoneCharacter2, 3, 0, 8),
            WIRE(LeadingCharCount, 4, 0, 4),
            WIRE(TrailingCharCount, 4, 4, 4),
            WIRE(LeadingTrailingCharacter0, 5, 0, 8),
            WIRE(LeadingTrailingCharacter1, 6, 0, 8),
            WIRE(LeadingTrailingCharacter2, 7, 0, 8)};
}

template <>
std::vector<WireMember<ReaderConfigurationBlock4>> WireLayout<ReaderConfigurationBlock4>() {
    using Block = ReaderConfigurationBlock4;
    return {WIRE(LeadingParityBig, 0, 0, 8),
            WIRE(TrailingParityBig, 1, 0, 8),
            WIRE(SplitFixedLength, 2, 0, 1),
            WIRE(FixedLengthFac, 2, 1, 1),
            WIRE(FixedLengthId, 2, 2, 1),
            WIRE(_, 2, 3, 5),
            WIRE(CfgRb3, 3, 0, 8),
            WIRE(CfgRb4, 4, 0, 8),
            WIRE(__, 5, 0, 1),
            WIRE(HighPrecisionFac, 5, 1, 1),
            WIRE(___, 5, 2, 6),
            WIRE(____, 6, 0, 1),
            WIRE(AzertyKeyboardShift, 6, 1, 1),
            WIRE(_____, 6, 2, 6),
            WIRE(EnableExtendedMode, 7, 0, 8)};
}

template <>
std::vector<WireMember<ReaderConfigurationBlock5>> WireLayout<ReaderConfigurationBlock5>() {
    using Block = ReaderConfigurationBlock5;
    return {WIRE(DisableCardConfiguration, 0, 0, 8),
            WIRE(CardType, 1, 0, 16),
            WIRE(SetHighPriorityCardType, 3, 0, 8),
            WIRE(SorwynCompatibilityCharacter, 4, 0, 8),
            WIRE(SorwynCharacterCount, 5, 0, 8),
            WIRE(_, 6, 0, 8),
            WIRE(__, 7, 0, 8)};
}

#undef WIRE

// The 8 bytes in which exactly the member's own bits are set.
template <typename Block>
Bytes OwnBits(const WireMember<Block>& member) {
    Bytes bytes(8, 0);
    for (unsigned bit = 0; bit < member.width; ++bit) {
        const unsigned position = member.byte * 8 + member.firstBit + bit;
        bytes[position / 8] |= static_cast<uint8_t>(1u << (position % 8));
    }
    return bytes;
}

template <typename Block>
Block ZeroBlock() {
    return Block::FromBytes(Bytes(8, 0));
}

template <typename Block>
class ConfigurationBlockTest : public ::testing::Test {};

using BlockTypes = ::testing::Types<ReaderConfigurationBlock1, ReaderConfigurationBlock2, ReaderConfigurationBlock3,
                                    ReaderConfigurationBlock4, ReaderConfigurationBlock5>;
TYPED_TEST_SUITE(ConfigurationBlockTest, BlockTypes);

TYPED_TEST(ConfigurationBlockTest, EachMemberAloneOccupiesOnlyItsOwnBits) {
    const auto layout = WireLayout<TypeParam>();
    const auto members = TypeParam::Members();
    ASSERT_EQ(members.size(), layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) {
        SCOPED_TRACE(std::string(layout[i].name));
        ASSERT_EQ(members[i].Name, layout[i].name);
        const Bytes expected = OwnBits(layout[i]);
        const uint32_t widthMaximum = (1u << layout[i].width) - 1;

        // Set alone, through its own field, to the largest value its bits hold: only its bits on
        // the wire, and back again into that field alone.
        TypeParam block = ZeroBlock<TypeParam>();
        layout[i].set(block, widthMaximum);
        EXPECT_EQ(block.ToBytes(), expected);
        const TypeParam decoded = TypeParam::FromBytes(expected);
        for (std::size_t j = 0; j < layout.size(); ++j) {
            EXPECT_EQ(layout[j].get(decoded), i == j ? widthMaximum : 0u) << layout[j].name;
        }
        EXPECT_EQ(decoded, block);

        // A value wider than the member (a flag holding 0xFF) still reaches no other member's bits.
        TypeParam oversized = ZeroBlock<TypeParam>();
        layout[i].set(oversized, 0xFFFF);
        EXPECT_EQ(oversized.ToBytes(), expected);
    }
}

TYPED_TEST(ConfigurationBlockTest, DecodingAnyImageAndEncodingGivesTheSameBytes) {
    std::mt19937 random(0x7A5E11u);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 3000; ++round) {
        Bytes image(8);
        for (auto& value : image) {
            value = static_cast<uint8_t>(byte(random));
        }
        ASSERT_EQ(TypeParam::FromBytes(image).ToBytes(), image);
    }
}

TYPED_TEST(ConfigurationBlockTest, EncodingAnyValidBlockAndDecodingGivesEveryMemberBack) {
    std::mt19937 random(0xB10C5u);
    const auto members = TypeParam::Members();
    for (int round = 0; round < 3000; ++round) {
        TypeParam block{};
        for (const auto& member : members) {
            member.Set(block, std::uniform_int_distribution<uint32_t>(0, member.Maximum)(random));
        }
        const TypeParam decoded = TypeParam::FromBytes(block.ToBytes());
        ASSERT_EQ(decoded, block);
        for (const auto& member : members) {
            ASSERT_EQ(member.Get(decoded), member.Get(block)) << member.Name;
        }
    }
}

TYPED_TEST(ConfigurationBlockTest, EveryMemberButTheReservedNibbleOfBlock2TakesPartInEquality) {
    for (const auto& member : TypeParam::Members()) {
        TypeParam changed = ZeroBlock<TypeParam>();
        member.Set(changed, 1);
        const bool ignored = std::is_same_v<TypeParam, ReaderConfigurationBlock2> && member.Name == "____";
        EXPECT_EQ(changed == ZeroBlock<TypeParam>(), ignored) << member.Name;
        EXPECT_EQ(changed != ZeroBlock<TypeParam>(), !ignored) << member.Name;
    }
}

TYPED_TEST(ConfigurationBlockTest, FromBytesReadsTheFirstEightBytesAndRefusesFewer) {
    const Bytes image{1, 2, 3, 4, 5, 6, 7, 8, 0xFF, 0xFF};
    EXPECT_EQ(TypeParam::FromBytes(image).ToBytes(), Bytes(image.begin(), image.begin() + 8));
    try {
        TypeParam::FromBytes(Bytes(7, 0));
        FAIL() << "seven bytes were accepted";
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.Message(), std::string(TypeParam::kTypeName) + "::FromBytes requires at least 8 bytes, got 7");
    }
    EXPECT_THROW(TypeParam::FromBytes(Bytes{}), ElvarinException);
}

TEST(ConfigurationBlockTest, KnownEncodings) {
    struct Case {
        const char* what;
        std::function<Bytes()> encode;
        Bytes expected;
    };
    const std::vector<Case> cases{
        {"block 1 all zero", [] { return ReaderConfigurationBlock1{}.ToBytes(); }, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"block 1 strip counts 5 and 10",
         [] {
             ReaderConfigurationBlock1 block;
             block.StripLeadingParityCount = 5;
             block.StripTrailingParityCount = 10;
             return block.ToBytes();
         },
         {0, 0, 0xA5, 0, 0, 0, 0, 0}},
        {"block 1 flag holding 3 next to its neighbours",
         [] {
             ReaderConfigurationBlock1 block;
             block.EnforceExpectedBitCount = 3;
             block.UseFixedLengthForFacAndId = 0;
             block.StripFacFromId = 0;
             block.DisableKeystroking = 1;
             return block.ToBytes();
         },
         {0, 0, 0, 0, 0, 0, 0, 0x82}},
        {"block 2 default", [] { return ReaderConfigurationBlock2{}.ToBytes(); }, {0, 0, 0, 0, 0, 0, 1, 0}},
        {"block 3 red LED and reserved 7",
         [] {
             ReaderConfigurationBlock3 block;
             block.LedRed = 1;
             block._ = 7;
             return block.ToBytes();
         },
         {0xE1, 0, 0, 0, 0, 0, 0, 0}},
        {"block 3 character counts 2 and 1",
         [] {
             ReaderConfigurationBlock3 block;
             block.LeadingCharCount = 2;
             block.TrailingCharCount = 1;
             return block.ToBytes();
         },
         {0, 0, 0, 0, 0x12, 0, 0, 0}},
        {"block 4 reserved 31 and split fixed length",
         [] {
             ReaderConfigurationBlock4 block;
             block._ = 31;
             block.SplitFixedLength = 1;
             block.LeadingParityBig = 127;
             return block.ToBytes();
         },
         {0x7F, 0, 0xF9, 0, 0, 0, 0, 0}},
        {"block 5 card type little-endian",
         [] {
             ReaderConfigurationBlock5 block;
             block.CardType = 0x1234;
             block.__ = 0x99;
             return block.ToBytes();
         },
         {0, 0x34, 0x12, 0, 0, 0, 0, 0x99}},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(testCase.encode(), testCase.expected) << testCase.what;
    }
}

TEST(ConfigurationBlockTest, KnownDecodings) {
    const auto block2 = ReaderConfigurationBlock2::FromBytes({0, 0, 0, 0, 0, 0, 0x01, 0xFF});
    EXPECT_EQ(block2.____, 15);
    EXPECT_EQ(block2.ReaderSupportsReverseAllBytes, 1);
    EXPECT_EQ(block2.ExtendedAscii, 1);
    EXPECT_EQ(block2.ExtendedOutputCapable, 1);
    EXPECT_EQ(block2.Vastrel, 1);
    EXPECT_EQ(block2.___, 1);
    EXPECT_EQ(block2.ExtendedPrecisionMath + block2.LowercaseHex + block2.EmulateProxPro + block2.SendIdAsHex +
                  block2.SendFacAsHex + block2.ExtendFacIdHexCapable + block2.UseNumericKeypad,
              0);

    const auto block3 = ReaderConfigurationBlock3::FromBytes({0xE1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(block3.LedRed, 1);
    EXPECT_EQ(block3._, 7);
    EXPECT_EQ(block3.LedGreen + block3.OemRelay + block3.OemBeeper + block3.UxLed, 0);

    const auto block4 = ReaderConfigurationBlock4::FromBytes({0, 0, 0, 0, 0, 0xFE, 0, 0});
    EXPECT_EQ(block4.__, 0);
    EXPECT_EQ(block4.HighPrecisionFac, 1);
    EXPECT_EQ(block4.___, 63);

    EXPECT_EQ(ReaderConfigurationBlock5::FromBytes({0, 0x34, 0x12, 0, 0, 0, 0, 0}).CardType, 0x1234);
}

TEST(ConfigurationBlockTest, EqualityIgnoresOnlyTheReservedNibbleOfBlock2) {
    ReaderConfigurationBlock2 left;
    ReaderConfigurationBlock2 right;
    right.____ = 9;
    EXPECT_EQ(left, right);
    right.Byte0 = 1;
    EXPECT_NE(left, right);

    ReaderConfigurationBlock3 reserved;
    reserved._ = 1;
    EXPECT_NE(reserved, ReaderConfigurationBlock3{});
}

TEST(ConfigurationBlockTextTest, Block1PrintsSixteenLinesWithCharactersAsNumbers) {
    ReaderConfigurationBlock1 block;
    std::string empty;
    EXPECT_EQ(block.ToString(empty),
              "FAC Digit Count: 0\nID Digit Count: 0\nStrip Leading Parity Count: 0\n"
              "Strip Trailing Parity Count: 0\nID Bit Count: 0\nExpected Bit Count: 0\nID and FAC Delimiter: 0\n"
              "Termination Character: 0\nUse Fixed Length for FAC and ID: 0\nEnforce Expected Bit Count: 0\n"
              "Strip FAC from ID: 0\nSend FAC after Stripping It: 0\nUse ID and FAC Delimiter: 0\n"
              "Disable Keystroke Termination Character: 0\nEnable Continuous Read: 0\nDisable Keystroking: 0\n");

    block.FacDigitCount = 26;
    block.IdAndFacDelimiter = ',';
    block.TerminationCharacter = '\r';
    block.DisableKeystroking = 1;
    std::string text = "before\n";
    const std::string returned = block.ToString(text);
    EXPECT_EQ(returned, text);
    EXPECT_THAT(text, ::testing::StartsWith("before\nFAC Digit Count: 26\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("\nID and FAC Delimiter: 44\nTermination Character: 13\n"));
    EXPECT_THAT(text, ::testing::EndsWith("\nDisable Keystroking: 1\n"));
}

TEST(ConfigurationBlockTextTest, Block2LeavesOutItsUnlabelledMembers) {
    ReaderConfigurationBlock2 block;
    block.Byte0 = 11;
    block.Byte1 = 12;
    block.DataHoldTime = 255;
    block.KeyReleaseTime = 4;
    block.____ = 15;
    block.Vastrel = 1;
    std::string text;
    EXPECT_EQ(block.ToString(text),
              "DataHoldTime: 255\nLockOutTime: 0\nKeyPressTime: 0\nKeyReleaseTime: 4\n"
              "EnableIdExtendedPrecision: 0\nUseLowercaseHex: 0\nEnableProxProEmulation: 0\nEnableHexadecimalId: 0\n"
              "EnableHexadecimalFac: 0\nUseIndividualIdAndFacNumberFormats: 0\nUseNumericKeypad: 0\n"
              "ReaderSupportsReverseAllBytes: 0\nReaderSupportsAsciiExtended: 0\nReaderSupportsExtendedMode: 0\n"
              "EnableVastrelMode: 1\n");
}

TEST(ConfigurationBlockTextTest, Blocks3To5PrintEveryMemberReservedOnesIncluded) {
    ReaderConfigurationBlock3 block3;
    block3._ = 7;
    block3.LeadingTrailingCharacter2 = 'Z';
    std::string text3;
    EXPECT_EQ(block3.ToString(text3),
              "EnableRedLed: 0\nEnableGreenLed: 0\nEnableOemRelay: 0\nEnableOemBeeper: 0\nUxLed: 0\n_: 7\n"
              "UseLeadingCharacters: 0\nEnabledSoftwareControlledLed: 0\nUseHexadecimalForBothFacAndId: 0\n"
              "InvertWiegandBits: 0\nEnableBeepOnCardRead: 0\nReverseWiegandBits: 0\nReverseWiegandBytes: 0\n"
              "UseDataInvert: 0\nCardGoneCharacter1: 0\nCardGoneCharacter2: 0\nLeadingCharacterCount: 0\n"
              "TrailingCharacterCount: 0\nLeadingTrailingCharacter0: 0\nLeadingTrailingCharacter1: 0\n"
              "LeadingTrailingCharacter2: 90\n");

    ReaderConfigurationBlock4 block4;
    block4.___ = 63;
    std::string text4;
    EXPECT_EQ(block4.ToString(text4),
              "LargeStripLeadingParityCount: 0\nLargeStripTrailingParityCount: 0\n"
              "UseIndividualIdAndFacFixedLengths: 0\nUseFixedLengthFac: 0\nUseFixedLengthId: 0\n_: 0\nCfgRb3: 0\n"
              "CfgRb4: 0\n__: 0\nEnableFacExtendedPrecision: 0\n___: 63\n____: 0\nAzertyKeyboardShift: 0\n"
              "_____: 0\nEnableExtendedMode: 0\n");

    ReaderConfigurationBlock5 block5;
    block5.CardType = 0x1234;
    block5.SorwynCharacterCount = 255;
    std::string text5;
    EXPECT_EQ(block5.ToString(text5),
              "DisableCardConfiguration: 0\nCardType: 4660\nSetHighPriorityCardType: 0\n"
              "SorwynCompatibilityCharacter: 0\nSorwynCharacterCount: 255\n_: 0\n__: 0\n");
}

TEST(ConfigurationBlockRangeTest, ReportsTheFirstMemberOutsideItsRange) {
    struct Case {
        const char* what;
        std::function<std::optional<ConfigurationRangeViolation>()> check;
        std::string property;  // empty: the block is within range
        uint32_t value;
        uint32_t maximum;
    };
    const std::vector<Case> cases{
        {"digit count at its limit",
         [] {
             ReaderConfigurationBlock1 block;
             block.FacDigitCount = 26;
             block.IdBitCount = 255;
             return block.FindFirstOutOfRange();
         },
         "", 0, 0},
        {"digit count above its limit",
         [] {
             ReaderConfigurationBlock1 block;
             block.FacDigitCount = 27;
             return block.FindFirstOutOfRange();
         },
         "ReaderConfigurationBlock1::FacDigitCount", 27, 26},
        {"only the first violation",
         [] {
             ReaderConfigurationBlock1 block;
             block.FacDigitCount = 30;
             block.DisableKeystroking = 2;
             return block.FindFirstOutOfRange();
         },
         "ReaderConfigurationBlock1::FacDigitCount", 30, 26},
        {"block 2 whole bytes are free",
         [] {
             auto block = ReaderConfigurationBlock2::FromBytes(Bytes{255, 255, 255, 255, 255, 255, 1, 0});
             return block.FindFirstOutOfRange();
         },
         "", 0, 0},
        {"block 2 reserved bit",
         [] {
             ReaderConfigurationBlock2 block;
             block.___ = 2;
             return block.FindFirstOutOfRange();
         },
         "ReaderConfigurationBlock2::___", 2, 1},
        {"block 3 reserved bits",
         [] {
             ReaderConfigurationBlock3 block;
             block.LeadingCharCount = 15;
             block.TrailingCharCount = 15;
             block._ = 8;
             return block.FindFirstOutOfRange();
         },
         "ReaderConfigurationBlock3::_", 8, 7},
        {"block 4 large leading strip count",
         [] {
             ReaderConfigurationBlock4 block;
             block.LeadingParityBig = 128;
             return block.FindFirstOutOfRange();
         },
         "ReaderConfigurationBlock4::LeadingParityBig", 128, 127},
        {"block 4 large trailing strip count is not checked",
         [] {
             ReaderConfigurationBlock4 block;
             block.LeadingParityBig = 127;
             block.TrailingParityBig = 200;
             return block.FindFirstOutOfRange();
         },
         "", 0, 0},
        {"block 5 has no ranges",
         [] { return ReaderConfigurationBlock5::FromBytes(Bytes(8, 0xFF)).FindFirstOutOfRange(); }, "", 0, 0},
    };
    for (const auto& testCase : cases) {
        const auto violation = testCase.check();
        if (testCase.property.empty()) {
            EXPECT_FALSE(violation.has_value()) << testCase.what;
            continue;
        }
        ASSERT_TRUE(violation.has_value()) << testCase.what;
        EXPECT_EQ(violation->PropertyName, testCase.property) << testCase.what;
        EXPECT_EQ(violation->Value, testCase.value) << testCase.what;
        EXPECT_EQ(violation->Minimum, 0u) << testCase.what;
        EXPECT_EQ(violation->Maximum, testCase.maximum) << testCase.what;
    }
}

TEST(ReaderConfigurationTest, DefaultIsAllZeroButTheReservedBitOfBlock2) {
    const ReaderConfiguration configuration;
    Bytes wire;
    for (const Bytes& block :
         {configuration.Block1.ToBytes(), configuration.Block2.ToBytes(), configuration.Block3.ToBytes(),
          configuration.Block4.ToBytes(), configuration.Block5.ToBytes()}) {
        wire.insert(wire.end(), block.begin(), block.end());
    }
    Bytes expected(40, 0);
    expected[8 + 6] = 1;
    EXPECT_EQ(wire, expected);
}

}  // namespace
