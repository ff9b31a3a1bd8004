#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/ExtendedConfiguration.h"
#include "common/HashData.h"
#include "common/ReaderConfiguration.h"
#include "support/ProtocolFailure.h"
#include "support/RecordingTimeDelay.h"
#include "support/SimulatedProtocolReader.h"
#include "support/Wire.h"
#include "visitors/CopyConfigurationVisitor.h"
#include "visitors/GetActiveConfigurationVisitor.h"
#include "visitors/GetConfigurationBlock1Visitor.h"
#include "visitors/GetConfigurationBlock2Visitor.h"
#include "visitors/GetConfigurationBlock3Visitor.h"
#include "visitors/GetConfigurationBlock4Visitor.h"
#include "visitors/GetConfigurationBlock5Visitor.h"
#include "visitors/GetExtendedConfigurationVisitor.h"
#include "visitors/LoadStoredDefaultsVisitor.h"
#include "visitors/SetActiveConfigurationVisitor.h"
#include "visitors/SetConfigurationBlock1Visitor.h"
#include "visitors/SetConfigurationBlock2Visitor.h"
#include "visitors/SetConfigurationBlock3Visitor.h"
#include "visitors/SetConfigurationBlock4Visitor.h"
#include "visitors/SetConfigurationBlock5Visitor.h"
#include "visitors/SetExtendedConfigurationVisitor.h"
#include "visitors/WriteConfigurationVisitor.h"

namespace {

using namespace TavProtocol;
using Bytes = std::vector<uint8_t>;
using TavTest::CatchProtocolFailure;
using TavTest::ProtocolFailure;
using TavTest::SimulatedProtocolReader;
using TavTest::WireName;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr uint8_t kFeatureReport = 1;
constexpr uint8_t kMfp24 = 2;
constexpr uint8_t kSerialBinary = 3;

// Runs a visitor made for the occasion and returns what it threw.
ProtocolFailure RunVisitor(SimulatedProtocolReader& reader,
                           const std::function<std::unique_ptr<CommandVisitor>()>& make) {
    const std::unique_ptr<CommandVisitor> visitor = make();
    return CatchProtocolFailure([&] { reader.Run(*visitor); });
}

const ProtocolFailure kSucceeded{};

// Blocks that break a range check, so a refusal is seen to come before any argument check.
ReaderConfiguration OutOfRangeConfiguration() {
    ReaderConfiguration configuration;
    configuration.Block1.FacDigitCount = 27;
    configuration.Block2.___ = 2;
    configuration.Block3.LedRed = 2;
    configuration.Block4.LeadingParityBig = 128;
    return configuration;
}

TEST(ConfigurationVisitorTest, AProtocolWithoutTheCommandRefusesBeforeAnyCheckOrPhrase) {
    const ReaderConfiguration bad = OutOfRangeConfiguration();
    const TavCommon::ExtendedConfiguration emptyExtended{};
    struct Row {
        const char* visitor;
        uint8_t protocol;
        const char* message;
        std::function<std::unique_ptr<CommandVisitor>()> make;
    };
    const char* const generic = "This command is not yet supported with the MFP24 Protocol";
    const std::vector<Row> rows = {
        {"GetConfigurationBlock1Visitor", kMfp24, generic,
         [] { return std::make_unique<GetConfigurationBlock1Visitor>(); }},
        {"GetConfigurationBlock2Visitor", kMfp24, generic,
         [] { return std::make_unique<GetConfigurationBlock2Visitor>(); }},
        {"GetConfigurationBlock3Visitor", kMfp24, generic,
         [] { return std::make_unique<GetConfigurationBlock3Visitor>(); }},
        {"GetConfigurationBlock4Visitor", kMfp24, generic,
         [] { return std::make_unique<GetConfigurationBlock4Visitor>(); }},
        {"GetConfigurationBlock5Visitor", kMfp24, generic,
         [] { return std::make_unique<GetConfigurationBlock5Visitor>(); }},
        {"SetConfigurationBlock1Visitor", kMfp24, generic,
         [&] { return std::make_unique<SetConfigurationBlock1Visitor>(bad.Block1); }},
        {"SetConfigurationBlock2Visitor", kMfp24, generic,
         [&] { return std::make_unique<SetConfigurationBlock2Visitor>(bad.Block2); }},
        {"SetConfigurationBlock3Visitor", kMfp24, generic,
         [&] { return std::make_unique<SetConfigurationBlock3Visitor>(bad.Block3); }},
        {"SetConfigurationBlock4Visitor", kMfp24, generic,
         [&] { return std::make_unique<SetConfigurationBlock4Visitor>(bad.Block4); }},
        {"SetConfigurationBlock5Visitor", kMfp24, generic,
         [&] { return std::make_unique<SetConfigurationBlock5Visitor>(bad.Block5); }},
        {"GetActiveConfigurationVisitor", kMfp24, "GetActiveConfiguration is not supported by the MFP24 protocol.",
         [] { return std::make_unique<GetActiveConfigurationVisitor>(); }},
        {"SetActiveConfigurationVisitor", kMfp24, "SetActiveConfiguration is not supported by MFP24.",
         [] { return std::make_unique<SetActiveConfigurationVisitor>(4); }},
        {"WriteConfigurationVisitor", kMfp24, generic, [] { return std::make_unique<WriteConfigurationVisitor>(2); }},
        {"LoadStoredDefaultsVisitor", kMfp24, generic,
         [] { return std::make_unique<LoadStoredDefaultsVisitor>(std::make_unique<TavTest::RecordingTimeDelay>()); }},
        {"GetExtendedConfigurationVisitor", kMfp24, generic,
         [] { return std::make_unique<GetExtendedConfigurationVisitor>(); }},
        {"SetExtendedConfigurationVisitor", kMfp24, generic,
         [&] { return std::make_unique<SetExtendedConfigurationVisitor>(emptyExtended, TavCommon::HashData{}); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.visitor) + " on " + WireName(row.protocol));
        SimulatedProtocolReader reader(row.protocol);
        EXPECT_EQ(RunVisitor(reader, row.make), (ProtocolFailure{row.message, row.visitor, "Visit"}));
        EXPECT_THAT(reader.Sent(), IsEmpty());
    }
}

// One range check of a block writer: the member at its largest valid value is written, one more
// is refused with the range message before any phrase.
template <typename Block>
struct RangeRow {
    uint8_t Block::*member;
    const char* property;
    unsigned maximum;
};

template <typename Block, typename Visitor>
void ExpectRangeChecks(const std::vector<RangeRow<Block>>& rows) {
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        for (const RangeRow<Block>& row : rows) {
            SCOPED_TRACE(std::string(row.property) + " on " + WireName(protocol));
            SimulatedProtocolReader reader(protocol);
            Block block;
            block.*row.member = static_cast<uint8_t>(row.maximum);
            EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<Visitor>(block); }), kSucceeded);
            EXPECT_THAT(reader.Sent(), SizeIs(protocol == kFeatureReport ? 2U : 1U));

            reader.ClearSent();
            block.*row.member = static_cast<uint8_t>(row.maximum + 1);
            const std::string message = std::string(row.property) + " setting must be between 0 and " +
                                        std::to_string(row.maximum) + " inclusive";
            EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<Visitor>(block); }),
                      (ProtocolFailure{message, "CommandVisitor", "ThrowProtocolExceptionForPropertyOutOfRange"}));
            EXPECT_THAT(reader.Sent(), IsEmpty());
        }
    }
}

TEST(ConfigurationVisitorTest, Block1MembersAreCheckedAtTheEndsOfTheirRanges) {
    using B = ReaderConfigurationBlock1;
    ExpectRangeChecks<B, SetConfigurationBlock1Visitor>({
        {&B::FacDigitCount, "ReaderConfigurationBlock1::FacDigitCount", 26},
        {&B::IdDigitCount, "ReaderConfigurationBlock1::IdDigitCount", 26},
        {&B::StripLeadingParityCount, "ReaderConfigurationBlock1::StripLeadingParityCount", 15},
        {&B::StripTrailingParityCount, "ReaderConfigurationBlock1::StripTrailingParityCount", 15},
        {&B::UseFixedLengthForFacAndId, "ReaderConfigurationBlock1::UseFixedLengthForFacAndId", 1},
        {&B::EnforceExpectedBitCount, "ReaderConfigurationBlock1::EnforceExpectedBitCount", 1},
        {&B::StripFacFromId, "ReaderConfigurationBlock1::StripFacFromId", 1},
        {&B::SendFacAfterStripping, "ReaderConfigurationBlock1::SendFacAfterStrippingIt", 1},
        {&B::UseIdAndFacDelimiter, "ReaderConfigurationBlock1::UseIdAndFacDelimiter", 1},
        {&B::DisableKeystrokeTerminationCharacter, "ReaderConfigurationBlock1::DisableKeystrokeTerminationCharacter",
         1},
        {&B::EnableContinuousRead, "ReaderConfigurationBlock1::EnableContinuousRead", 1},
        {&B::DisableKeystroking, "ReaderConfigurationBlock1::DisableKeystroking", 1},
    });
}

TEST(ConfigurationVisitorTest, Block2MembersAreCheckedAtTheEndsOfTheirRanges) {
    using B = ReaderConfigurationBlock2;
    ExpectRangeChecks<B, SetConfigurationBlock2Visitor>({
        {&B::___, "ReaderConfigurationBlock2::___", 1},
        {&B::ExtendedPrecisionMath, "ReaderConfigurationBlock2::ExtendedPrecisionMath", 1},
        {&B::LowercaseHex, "ReaderConfigurationBlock2::LowercaseHex", 1},
        {&B::EmulateProxPro, "ReaderConfigurationBlock2::EmulateProxPro", 1},
        {&B::SendIdAsHex, "ReaderConfigurationBlock2::SendIdAsHex", 1},
        {&B::SendFacAsHex, "ReaderConfigurationBlock2::SendFacAsHex", 1},
        {&B::ExtendFacIdHexCapable, "ReaderConfigurationBlock2::ExtendFacIdHexCapable", 1},
        {&B::UseNumericKeypad, "ReaderConfigurationBlock2::UseNumericKeypad", 1},
        {&B::____, "ReaderConfigurationBlock2::____", 15},
        {&B::ReaderSupportsReverseAllBytes, "ReaderConfigurationBlock2::ReaderSupportsReverseAllBytes", 1},
        {&B::ExtendedAscii, "ReaderConfigurationBlock2::ExtendedAscii", 1},
        {&B::ExtendedOutputCapable, "ReaderConfigurationBlock2::ExtendedOutputCapable", 1},
        {&B::Vastrel, "ReaderConfigurationBlock2::Vastrel", 1},
    });
}

TEST(ConfigurationVisitorTest, Block3MembersAreCheckedAtTheEndsOfTheirRanges) {
    using B = ReaderConfigurationBlock3;
    ExpectRangeChecks<B, SetConfigurationBlock3Visitor>({
        {&B::LedRed, "ReaderConfigurationBlock3::LedRed", 1},
        {&B::LedGreen, "ReaderConfigurationBlock3::LedGreen", 1},
        {&B::OemRelay, "ReaderConfigurationBlock3::OemRelay", 1},
        {&B::OemBeeper, "ReaderConfigurationBlock3::OemBeeper", 1},
        {&B::UxLed, "ReaderConfigurationBlock3::UxLed", 1},
        {&B::_, "ReaderConfigurationBlock3::_", 7},
        {&B::UseLeadChars, "ReaderConfigurationBlock3::UseLeadChars", 1},
        {&B::LedControlFlag, "ReaderConfigurationBlock3::LedControlFlag", 1},
        {&B::DisplayFormatHex, "ReaderConfigurationBlock3::DisplayFormatHex", 1},
        {&B::WiegandDataInvert, "ReaderConfigurationBlock3::WiegandDataInvert", 1},
        {&B::BeepIdValid, "ReaderConfigurationBlock3::BeepIdValid", 1},
        {&B::WiegandBitReverse, "ReaderConfigurationBlock3::WiegandBitReverse", 1},
        {&B::WiegandByteReverse, "ReaderConfigurationBlock3::WiegandByteReverse", 1},
        {&B::UseDataInvert, "ReaderConfigurationBlock3::UseDataInvert", 1},
        {&B::LeadingCharCount, "ReaderConfigurationBlock3::LeadingCharCount", 15},
        {&B::TrailingCharCount, "ReaderConfigurationBlock3::TrailingCharCount", 15},
    });
}

TEST(ConfigurationVisitorTest, Block4MembersAreCheckedAtTheEndsOfTheirRanges) {
    using B = ReaderConfigurationBlock4;
    ExpectRangeChecks<B, SetConfigurationBlock4Visitor>({
        {&B::LeadingParityBig, "ReaderConfigurationBlock4::LeadingParityBig", 127},
        {&B::SplitFixedLength, "ReaderConfigurationBlock4::SplitFixedLength", 1},
        {&B::FixedLengthFac, "ReaderConfigurationBlock4::FixedLengthFac", 1},
        {&B::FixedLengthId, "ReaderConfigurationBlock4::FixedLengthId", 1},
        {&B::_, "ReaderConfigurationBlock4::_", 31},
        {&B::__, "ReaderConfigurationBlock4::__", 1},
        {&B::HighPrecisionFac, "ReaderConfigurationBlock4::HighPrecisionFac", 1},
        {&B::___, "ReaderConfigurationBlock4::___", 63},
        {&B::____, "ReaderConfigurationBlock4::____", 1},
        {&B::AzertyKeyboardShift, "ReaderConfigurationBlock4::AzertyKeyboardShift", 1},
        {&B::_____, "ReaderConfigurationBlock4::_____", 63},
    });
}

TEST(ConfigurationVisitorTest, UncheckedMembersPassAtTheirLargestValues) {
    ReaderConfiguration configuration;
    configuration.Block1.IdBitCount = 255;
    configuration.Block1.ExpectedBitCount = 255;
    configuration.Block1.IdAndFacDelimiter = 255;
    configuration.Block1.TerminationCharacter = 255;
    configuration.Block2.Byte0 = 255;
    configuration.Block2.Byte1 = 255;
    configuration.Block2.DataHoldTime = 255;
    configuration.Block2.KeyReleaseTime = 255;
    configuration.Block3.CardGoneCharacter1 = 255;
    configuration.Block3.LeadingTrailingCharacter2 = 255;
    // The reader layer splits strip counts up to 255 across blocks 1 and 4.
    configuration.Block4.LeadingParityBig = 127;
    configuration.Block4.TrailingParityBig = 255;
    configuration.Block4.CfgRb3 = 255;
    configuration.Block4.EnableExtendedMode = 255;
    configuration.Block5 = {255, 0xFFFF, 255, 255, 255, 255, 255};
    SimulatedProtocolReader reader(kSerialBinary);
    EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<SetConfigurationBlock1Visitor>(configuration.Block1); }),
              kSucceeded);
    EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<SetConfigurationBlock2Visitor>(configuration.Block2); }),
              kSucceeded);
    EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<SetConfigurationBlock3Visitor>(configuration.Block3); }),
              kSucceeded);
    EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<SetConfigurationBlock4Visitor>(configuration.Block4); }),
              kSucceeded);
    EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<SetConfigurationBlock5Visitor>(configuration.Block5); }),
              kSucceeded);
    EXPECT_THAT(reader.Sent(), SizeIs(5));
}

TEST(ConfigurationVisitorTest, OnlyTheFirstMemberOutOfRangeIsReported) {
    ReaderConfigurationBlock1 block;
    block.FacDigitCount = 30;
    block.DisableKeystroking = 2;
    SimulatedProtocolReader reader(kFeatureReport);
    EXPECT_EQ(RunVisitor(reader, [&] { return std::make_unique<SetConfigurationBlock1Visitor>(block); }).message,
              "ReaderConfigurationBlock1::FacDigitCount setting must be between 0 and 26 inclusive");
}

// A block goes out as its command phrase and the 8 wire bytes on a feature-report reader, in one
// 13-byte frame answered by the reader on a serial one; it comes back from the active configuration.
TEST(ConfigurationVisitorTest, ABlockWrittenIsReadBackFromTheActiveConfiguration) {
    ReaderConfigurationBlock3 block;
    block.LedGreen = 1;
    block.LeadingCharCount = 3;
    block.LeadingTrailingCharacter0 = 0x41;
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        SimulatedProtocolReader reader(protocol);
        reader.Reader().Model()->activeConfiguration = 2;
        SetConfigurationBlock3Visitor write(block);
        reader.Run(write);
        const Bytes wire = {0x02, 0x00, 0x00, 0x00, 0x03, 0x41, 0x00, 0x00};
        if (protocol == kFeatureReport) {
            EXPECT_EQ(reader.Sent(), (std::vector<Bytes>{{0x82, 0, 0, 0, 0, 0, 0, 0}, wire}));
        } else {
            Bytes frame = {0xFA, 0x81, 0x02, 0x00, 0x08};
            frame.insert(frame.end(), wire.begin(), wire.end());
            EXPECT_EQ(reader.Sent(), (std::vector<Bytes>{frame}));
        }
        const auto stored = reader.Reader().Model()->configurations[2].blocks[2];
        EXPECT_EQ(Bytes(stored.begin(), stored.end()), wire);
        GetConfigurationBlock3Visitor read;
        reader.Run(read);
        EXPECT_EQ(read.GetResult(), block);
    }
}

TEST(ConfigurationVisitorTest, ASerialBlockReadWhoseReplyFailsItsCheckKeepsNoBlock) {
    SimulatedProtocolReader reader(kSerialBinary);
    reader.Reader().Model()->configurations[0].blocks[0] = {5, 6, 0, 0, 0, 0, 0, 0};
    reader.InjectFault(TavSim::FaultTrigger::OnCommand({0xFA, 0x01}), TavSim::Fault::WrongStatusWord(0x6A80));
    GetConfigurationBlock1Visitor read;
    EXPECT_NE(CatchProtocolFailure([&] { reader.Run(read); }), kSucceeded);
    EXPECT_EQ(read.GetResult(), ReaderConfigurationBlock1{});
}

TEST(ConfigurationVisitorTest, ConfigurationNumberAndFlagChecksAtTheirEnds) {
    struct Row {
        const char* visitor;
        const char* message;  // empty: accepted
        std::function<std::unique_ptr<CommandVisitor>()> make;
    };
    const std::vector<Row> rows = {
        {"SetActiveConfigurationVisitor", "", [] { return std::make_unique<SetActiveConfigurationVisitor>(3); }},
        {"SetActiveConfigurationVisitor", "Configuration number must be between 0 and 3.",
         [] { return std::make_unique<SetActiveConfigurationVisitor>(4); }},
        {"SetActiveConfigurationVisitor", "Configuration number must be between 0 and 3.",
         [] { return std::make_unique<SetActiveConfigurationVisitor>(255); }},
        {"WriteConfigurationVisitor", "", [] { return std::make_unique<WriteConfigurationVisitor>(1); }},
        {"WriteConfigurationVisitor", "WriteLuidToFlash parameter value must be 0 or 1.",
         [] { return std::make_unique<WriteConfigurationVisitor>(2); }},
    };
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.visitor) + " " + row.message + " on " + WireName(protocol));
            SimulatedProtocolReader reader(protocol);
            const ProtocolFailure failure = RunVisitor(reader, row.make);
            if (std::string(row.message).empty()) {
                EXPECT_EQ(failure, kSucceeded);
                EXPECT_THAT(reader.Sent(), SizeIs(1));
            } else {
                EXPECT_EQ(failure, (ProtocolFailure{row.message, row.visitor, "ValidateArguments"}));
                EXPECT_THAT(reader.Sent(), IsEmpty());
            }
        }
    }
}

// A feature-report store carries no flag: 0 and 1 send the same phrase. A serial one sets bit 7.
TEST(ConfigurationVisitorTest, StoringTheConfigurationCarriesTheLuidFlagOnlyOnSerialReaders) {
    for (const uint8_t flag : {0, 1}) {
        SimulatedProtocolReader featureReport(kFeatureReport);
        WriteConfigurationVisitor onFeatureReport(flag);
        featureReport.Run(onFeatureReport);
        EXPECT_EQ(featureReport.Sent(), (std::vector<Bytes>{{0x90, 0, 0, 0, 0, 0, 0, 0}}));

        SimulatedProtocolReader serial(kSerialBinary);
        WriteConfigurationVisitor onSerial(flag);
        serial.Run(onSerial);
        EXPECT_EQ(serial.Sent(),
                  (std::vector<Bytes>{{0xFA, 0x02, static_cast<uint8_t>(flag ? 0x80 : 0x00), 0x00, 0x00}}));
    }
}

TEST(ConfigurationVisitorTest, CopyChecksDependOnTheProtocol) {
    using L = ConfigurationLocation;
    const L ram = L::Ram;
    const L one = static_cast<L>(1);
    const L two = static_cast<L>(2);
    const L factory = L::FactoryDefaults;
    const char* const same = "Source and destination for CopyConfiguration command cannot be the same.";
    const char* const toFactory = "Destination for CopyConfiguration command cannot be FactoryDefaults.";
    const char* const factoryToRam = "Factory Defaults configuration cannot be copied to RAM.";
    struct Row {
        uint8_t protocol;
        L source;
        L destination;
        const char* message;  // empty: sent
        const char* function;
    };
    const std::vector<Row> rows = {
        {kFeatureReport, two, two, same, "ValidateArgumentsForFeatureReportProtocol"},
        {kFeatureReport, one, factory, toFactory, "ValidateArgumentsForFeatureReportProtocol"},
        {kFeatureReport, factory, ram, "", ""},
        {kFeatureReport, one, two, "", ""},
        {kSerialBinary, ram, ram, same, "ValidateArguments"},
        {kSerialBinary, two, factory, toFactory, "ValidateArguments"},
        {kSerialBinary, factory, ram, factoryToRam, "ValidateArguments"},
        {kSerialBinary, factory, two, "", ""},
        {kMfp24, one, one, same, "ValidateArguments"},
        {kMfp24, ram, factory, toFactory, "ValidateArguments"},
        {kMfp24, factory, ram, factoryToRam, "ValidateArguments"},
        {kMfp24, two, ram, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(WireName(row.protocol)) + " " + std::to_string(static_cast<int>(row.source)) + " to " +
                     std::to_string(static_cast<int>(row.destination)));
        SimulatedProtocolReader reader(row.protocol);
        const ProtocolFailure failure = RunVisitor(
            reader, [&] { return std::make_unique<CopyConfigurationVisitor>(row.source, row.destination, 0, 0); });
        if (std::string(row.message).empty()) {
            EXPECT_EQ(failure, kSucceeded);
            EXPECT_THAT(reader.Sent(), SizeIs(1));
        } else {
            EXPECT_EQ(failure, (ProtocolFailure{row.message, "CopyConfigurationVisitor", row.function}));
            EXPECT_THAT(reader.Sent(), IsEmpty());
        }
    }
}

TEST(ConfigurationVisitorTest, TheCopyCarriesItsFourBytes) {
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        SimulatedProtocolReader reader(protocol);
        CopyConfigurationVisitor copy(static_cast<ConfigurationLocation>(1), static_cast<ConfigurationLocation>(2), 7,
                                      9);
        reader.Run(copy);
        EXPECT_EQ(reader.Reader().Model()->configurationCopies, (std::vector<std::array<uint8_t, 4>>{{1, 2, 7, 9}}));
    }
}

// A selection the reader refuses must not pass for a success: the blocks read or written next
// would belong to another configuration.
TEST(ConfigurationVisitorTest, ARefusedSelectionIsAFailureOnBothProtocols) {
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        SimulatedProtocolReader reader(protocol);
        if (protocol == kFeatureReport) {
            reader.InjectFault(TavSim::FaultTrigger::OnCommand({0x89, 0x81}), TavSim::Fault::CorruptByte(1, 0x00));
        } else {
            reader.InjectFault(TavSim::FaultTrigger::OnCommand({0xFA, 0x09, 0x81}),
                               TavSim::Fault::WrongStatusWord(0x6A80));
        }
        SetActiveConfigurationVisitor select(2);
        const ProtocolFailure failure = CatchProtocolFailure([&] { reader.Run(select); });
        EXPECT_NE(failure, kSucceeded);
        EXPECT_THAT(reader.Sent(), SizeIs(1));
    }
}

// The serial reader needs its pause after it answered; a feature-report reader does not answer.
TEST(ConfigurationVisitorTest, LoadingStoredDefaultsWaitsOnlyOnSerialReadersAfterTheReply) {
    const std::vector<std::string> expected[] = {{"sent"}, {"sent", "received", "wait 1200 ms"}};
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        SimulatedProtocolReader reader(protocol);
        const auto timeline = std::make_shared<TavTest::Timeline>();
        reader.Transport().RecordOn(timeline);
        LoadStoredDefaultsVisitor load(std::make_unique<TavTest::RecordingTimeDelay>(timeline));
        reader.Run(load);
        EXPECT_EQ(timeline->Steps(), expected[protocol == kSerialBinary ? 1 : 0]);
        EXPECT_EQ(reader.Reader().Model()->storedDefaultsLoads, 1U);
    }
}

// An extended configuration a reader accepts: one field of 8 bits and three separators whose
// characters take 62, 48 and `lastSeparatorBytes` bytes behind the 4 + 4 + 6 bytes of header and
// entries.
TavCommon::ExtendedConfiguration ExtendedConfiguration(uint8_t lastSeparatorBytes) {
    TavCommon::ExtendedConfiguration configuration{};
    configuration.Header = {1, 4, 4, 1, 2, 3, 16};
    configuration.FieldEntries[0].FieldValid = 1;
    configuration.FieldEntries[0].StartingBitPosition = 0;
    configuration.FieldEntries[0].BitCountOfField = 8;
    const uint8_t sizes[3][2] = {{2, 31}, {2, 24}, {1, lastSeparatorBytes}};
    uint8_t offset = 0;
    for (int i = 0; i < 3; ++i) {
        TavCommon::SeparatorEntry& separator = configuration.SeparatorEntries[i];
        separator.SeparatorValid = 1;
        separator.CharacterSize = sizes[i][0];
        separator.VirtualCharacterCount = sizes[i][1];
        separator.ByteOffset = offset;
        offset = static_cast<uint8_t>(offset + sizes[i][0] * sizes[i][1]);
    }
    configuration.ApplicationData.MaxBitCount = 44;
    return configuration;
}

ProtocolFailure SetExtended(SimulatedProtocolReader& reader, const TavCommon::ExtendedConfiguration& configuration,
                            const TavCommon::HashData& hashData = {}) {
    return RunVisitor(reader,
                      [&] { return std::make_unique<SetExtendedConfigurationVisitor>(configuration, hashData); });
}

TEST(ExtendedConfigurationVisitorTest, ChecksAtTheirBoundaries) {
    const char* const fieldBits =
        "Sum of BitCountOfField and StartingBitPosition must be less than maximum bit count defined in Application "
        "Data";
    const char* const tooLarge =
        "The total size of the Extended Configuration exceeds the maximum storage size defined in the header";
    struct Row {
        const char* what;
        std::function<void(TavCommon::ExtendedConfiguration&, TavCommon::HashData&)> change;
        ProtocolFailure expected;
    };
    const std::vector<Row> rows = {
        {"126 bytes fill the storage up to the application data", [](auto&, auto&) {}, kSucceeded},
        {"127 bytes reach into the application data",
         [](auto& configuration, auto&) { configuration = ExtendedConfiguration(3); },
         {tooLarge, "SetExtendedConfigurationVisitor", "ValidateArguments"}},
        {"128 bytes",
         [](auto& configuration, auto&) { configuration = ExtendedConfiguration(4); },
         {tooLarge, "SetExtendedConfigurationVisitor", "ValidateArguments"}},
        {"field bits summing to the maximum",
         [](auto& configuration, auto&) {
             configuration.FieldEntries[0].StartingBitPosition = 4;
             configuration.FieldEntries[0].BitCountOfField = 40;
         },
         kSucceeded},
        {"field bits one past the maximum",
         [](auto& configuration, auto&) {
             configuration.FieldEntries[0].StartingBitPosition = 5;
             configuration.FieldEntries[0].BitCountOfField = 40;
         },
         {fieldBits, "SetExtendedConfigurationVisitor", "ValidateArguments"}},
        {"field bits whose byte sum would wrap to the maximum",
         [](auto& configuration, auto&) {
             configuration.FieldEntries[0].StartingBitPosition = 200;
             configuration.FieldEntries[0].BitCountOfField = 100;
         },
         {fieldBits, "SetExtendedConfigurationVisitor", "ValidateArguments"}},
        {"second separator one byte early",
         [](auto& configuration, auto&) { configuration.SeparatorEntries[1].ByteOffset = 61; },
         {"ByteOffset specified for separator entry 2 is 61, which should be 62", "SetExtendedConfigurationVisitor",
          "ValidateArguments"}},
        {"second separator one byte late",
         [](auto& configuration, auto&) { configuration.SeparatorEntries[1].ByteOffset = 63; },
         {"ByteOffset specified for separator entry 2 is 63, which should be 62", "SetExtendedConfigurationVisitor",
          "ValidateArguments"}},
        {"enhanced security state 1", [](auto&, auto& hashData) { hashData.EnhanceSecurityFirmwareState = 1; },
         kSucceeded},
        {"enhanced security state 2",
         [](auto&, auto& hashData) { hashData.EnhanceSecurityFirmwareState = 2; },
         {"TavCommon::HashData::EnhanceSecurityFirmwareState setting must be between 0 and 1 inclusive",
          "CommandVisitor", "ThrowProtocolExceptionForPropertyOutOfRange"}},
        {"a header the reader would not take",
         [](auto& configuration, auto&) { configuration.Header.MaxStorageSize = 17; },
         {"Max storage size value must be equal to 16", "FieldSeparatorDataHeader", "Validate"}},
    };
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.what) + " on " + WireName(protocol));
            TavCommon::ExtendedConfiguration configuration = ExtendedConfiguration(2);
            TavCommon::HashData hashData{};
            row.change(configuration, hashData);
            SimulatedProtocolReader reader(protocol);
            ProtocolFailure failure;
            try {
                SetExtendedConfigurationVisitor visitor(configuration, hashData);
                reader.Run(visitor);
            } catch (const ElvarinException& error) {
                failure = {error.Message(), error.File(), error.Function()};
            }
            EXPECT_EQ(failure, row.expected);
            if (row.expected != kSucceeded) {
                EXPECT_THAT(reader.Sent(), IsEmpty());
            }
        }
    }
}

// Hashes follow the configuration when the firmware enforces enhanced security, else only those
// that are not all zero.
TEST(ExtendedConfigurationVisitorTest, HashesAreSentWhenEnforcedOrNotZero) {
    struct Row {
        uint8_t state;
        uint8_t firstHashByte;
        uint8_t secondHashByte;
        std::size_t serialFrames;
        std::size_t featureReportPhrases;
    };
    // Feature report: 16 records of address and data phrase, and 2 halves of 2 phrases per hash.
    const Row rows[] = {{0, 0, 0, 1, 32}, {1, 0, 0, 3, 40}, {0, 0, 5, 2, 36}, {0, 5, 0, 2, 36}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "state " << int{row.state} << ", hashes " << int{row.firstHashByte} << " "
                                          << int{row.secondHashByte});
        TavCommon::HashData hashData{};
        hashData.EnhanceSecurityFirmwareState = row.state;
        hashData.Hash1[15] = row.firstHashByte;
        hashData.Hash2[15] = row.secondHashByte;
        SimulatedProtocolReader serial(kSerialBinary);
        EXPECT_EQ(SetExtended(serial, ExtendedConfiguration(2), hashData), kSucceeded);
        EXPECT_THAT(serial.Sent(), SizeIs(row.serialFrames));
        SimulatedProtocolReader featureReport(kFeatureReport);
        EXPECT_EQ(SetExtended(featureReport, ExtendedConfiguration(2), hashData), kSucceeded);
        EXPECT_THAT(featureReport.Sent(), SizeIs(row.featureReportPhrases));
    }
}

TEST(ExtendedConfigurationVisitorTest, AWrittenConfigurationIsReadBack) {
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        SimulatedProtocolReader reader(protocol);
        const TavCommon::ExtendedConfiguration written = ExtendedConfiguration(2);
        ASSERT_EQ(SetExtended(reader, written), kSucceeded);
        GetExtendedConfigurationVisitor read;
        reader.Run(read);
        EXPECT_EQ(read.GetResult(), written);
    }
}

}  // namespace
