#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/ExtendedConfiguration.h"
#include "common/HashData.h"
#include "common/ReaderConfiguration.h"
#include "common/ReaderConfigurationBlock1.h"
#include "common/ReaderConfigurationBlock2.h"
#include "common/ReaderConfigurationBlock3.h"
#include "common/ReaderConfigurationBlock4.h"
#include "common/ReaderConfigurationBlock5.h"
#include "facade/ProtocolFacade.h"
#include "records/ActiveConfigurationInformation.h"
#include "support/FacadeOnSimulatedReader.h"
#include "support/Wire.h"

namespace {

using namespace TavProtocol;
using Bytes = std::vector<uint8_t>;
using TavTest::FacadeOnSimulatedReader;
using TavTest::Phrase;
using TavTest::WireName;
using ::testing::IsEmpty;
using ::testing::SizeIs;

constexpr uint8_t kFeatureReport = 1;
constexpr uint8_t kMfp24 = 2;
constexpr uint8_t kSerialBinary = 3;

Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) {
        joined.insert(joined.end(), part.begin(), part.end());
    }
    return joined;
}

std::string Hex(const Bytes& bytes) { return fmt::format("{:02X}", fmt::join(bytes, " ")); }

// Wire forms of the five blocks, as a reader stores them. Every byte is one the block writers
// accept, and each block is told apart by its first byte.
const std::array<Bytes, 5> kStoredBlocks = {{
    {0x01, 0x02, 0x21, 0x10, 0x20, 0x2C, 0x0D, 0x81},
    {0x02, 0x00, 0x05, 0x06, 0x07, 0x08, 0x81, 0x10},
    {0x03, 0x12, 0x2E, 0x2F, 0x21, 0x41, 0x42, 0x43},
    {0x04, 0xC8, 0x05, 0x11, 0x22, 0x02, 0x01, 0x09},
    {0x05, 0x07, 0x01, 0x01, 0x3B, 0x02, 0x00, 0xFF},
}};

// The reader's configuration 2 holds the stored blocks; every other configuration is zero.
void StoreBlocksInConfiguration2(FacadeOnSimulatedReader& reader) {
    auto model = reader.Reader().Model();
    for (std::size_t i = 0; i < kStoredBlocks.size(); ++i) {
        std::copy(kStoredBlocks[i].begin(), kStoredBlocks[i].end(), model->configurations[2].blocks[i].begin());
    }
}

ReaderConfiguration StoredConfiguration() {
    ReaderConfiguration configuration;
    configuration.Block1 = ReaderConfigurationBlock1::FromBytes(kStoredBlocks[0]);
    configuration.Block2 = ReaderConfigurationBlock2::FromBytes(kStoredBlocks[1]);
    configuration.Block3 = ReaderConfigurationBlock3::FromBytes(kStoredBlocks[2]);
    configuration.Block4 = ReaderConfigurationBlock4::FromBytes(kStoredBlocks[3]);
    configuration.Block5 = ReaderConfigurationBlock5::FromBytes(kStoredBlocks[4]);
    return configuration;
}

std::string Render(const ReaderConfiguration& configuration) {
    return Hex(Joined({configuration.Block1.ToBytes(), configuration.Block2.ToBytes(), configuration.Block3.ToBytes(),
                       configuration.Block4.ToBytes(), configuration.Block5.ToBytes()}));
}

std::string StoredIn(FacadeOnSimulatedReader& reader, std::size_t configuration) {
    auto model = reader.Reader().Model();
    Bytes bytes;
    for (const auto& block : model->configurations[configuration].blocks) {
        bytes.insert(bytes.end(), block.begin(), block.end());
    }
    return Hex(bytes);
}

using Operation = std::function<ProtocolCommandResult(const ProtocolFacade&, std::string&)>;

struct Row {
    const char* operation;
    uint8_t protocol;
    Operation run;
    std::vector<Bytes> phrases;  // MFP24: the letters each phrase starts with
    std::string result;          // the out-parameter; for writes, what the reader then holds
};

std::vector<Row> ConfigurationRows() {
    const Operation selectTwo = [](const ProtocolFacade& f, std::string&) { return f.SetActiveConfiguration(2); };
    const Operation active = [](const ProtocolFacade& f, std::string& out) {
        ActiveConfigurationInformation information{};
        const ProtocolCommandResult result = f.GetActiveConfiguration(information);
        out = fmt::format("{} {} {:04X} {:02X}", information.FirstValue, information.ConfigurationCount,
                          information.WordValue, information.LastValue);
        return result;
    };
    const Operation block2 = [](const ProtocolFacade& f, std::string& out) {
        ReaderConfigurationBlock2 block;
        const ProtocolCommandResult result = f.GetConfigurationBlock2(block);
        out = Hex(block.ToBytes());
        return result;
    };
    const Operation whole = [](const ProtocolFacade& f, std::string& out) {
        ReaderConfiguration configuration;
        const ProtocolCommandResult result = f.GetConfiguration(2, configuration);
        out = Render(configuration);
        return result;
    };
    const Operation copy = [](const ProtocolFacade& f, std::string&) {
        return f.CopyConfiguration(ConfigurationLocation::Ram, static_cast<ConfigurationLocation>(1), 0, 0);
    };
    const Operation store = [](const ProtocolFacade& f, std::string&) { return f.WriteConfiguration(1); };
    const std::string stored =
        Hex(Joined({kStoredBlocks[0], kStoredBlocks[1], kStoredBlocks[2], kStoredBlocks[3], kStoredBlocks[4]}));
    return {
        {"SetActiveConfiguration", kFeatureReport, selectTwo, {Phrase({0x89, 0x81, 2})}, ""},
        {"SetActiveConfiguration", kSerialBinary, selectTwo, {{0xFA, 0x09, 0x81, 2, 0}}, ""},
        {"GetActiveConfiguration", kFeatureReport, active, {Phrase({0x89, 0x01})}, "2 4 ABCD 5A"},
        {"GetActiveConfiguration", kSerialBinary, active, {{0xFA, 0x09, 0x01, 0, 0}}, "2 4 ABCD 5A"},
        {"GetConfigurationBlock2", kFeatureReport, block2, {Phrase({0x81})}, Hex(kStoredBlocks[1])},
        {"GetConfigurationBlock2", kSerialBinary, block2, {{0xFA, 0x01, 0x01, 0x00, 0x08}}, Hex(kStoredBlocks[1])},
        {"GetConfiguration",
         kFeatureReport,
         whole,
         {Phrase({0x89, 0x81, 2}), Phrase({0x80}), Phrase({0x81}), Phrase({0x82}), Phrase({0x83}), Phrase({0x84})},
         stored},
        {"GetConfiguration",
         kSerialBinary,
         whole,
         {{0xFA, 0x09, 0x81, 2, 0},
          {0xFA, 0x01, 0x00, 0x00, 0x08},
          {0xFA, 0x01, 0x01, 0x00, 0x08},
          {0xFA, 0x01, 0x02, 0x00, 0x08},
          {0xFA, 0x01, 0x03, 0x00, 0x08},
          {0xFA, 0x01, 0x04, 0x00, 0x08}},
         stored},
        {"CopyConfiguration", kFeatureReport, copy, {Phrase({0x89, 0x82, 0, 1, 0, 0})}, ""},
        {"CopyConfiguration", kMfp24, copy, {Bytes{'F', 'W'}}, ""},
        {"CopyConfiguration", kSerialBinary, copy, {{0xFA, 0x09, 0x82, 0, 1, 0, 0}}, ""},
        {"WriteConfiguration", kFeatureReport, store, {Phrase({0x90})}, ""},
        {"WriteConfiguration", kSerialBinary, store, {{0xFA, 0x02, 0x80, 0x00, 0x00}}, ""},
    };
}

TEST(ConfigurationFacadeTest, EachOperationSendsItsPhrasesAndCopiesItsResultOut) {
    for (const Row& row : ConfigurationRows()) {
        SCOPED_TRACE(std::string(row.operation) + " on " + WireName(row.protocol));
        FacadeOnSimulatedReader reader(row.protocol);
        StoreBlocksInConfiguration2(reader);
        {
            auto model = reader.Reader().Model();
            model->activeConfiguration = 2;
            model->activeConfigurationWord = 0xABCD;
            model->activeConfigurationLastByte = 0x5A;
        }
        std::string result;
        const ProtocolCommandResult record = row.run(reader.Facade(), result);
        ASSERT_FALSE(record.HasException) << record.Message;
        EXPECT_EQ(result, row.result);
        const std::vector<Bytes> sent = reader.Sent();
        if (row.protocol == kMfp24) {
            ASSERT_EQ(sent.size(), row.phrases.size());
            for (std::size_t i = 0; i < sent.size(); ++i) {
                EXPECT_EQ(Bytes(sent[i].begin(), sent[i].begin() + static_cast<long>(row.phrases[i].size())),
                          row.phrases[i]);
            }
        } else {
            EXPECT_EQ(sent, row.phrases);
        }
    }
}

// Blocks written land in the configuration the write selected, whatever was active before.
TEST(ConfigurationFacadeTest, WritesSelectTheirConfigurationFirst) {
    const ReaderConfiguration configuration = StoredConfiguration();
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        FacadeOnSimulatedReader reader(protocol);
        ASSERT_FALSE(reader.Facade().SetConfiguration(1, configuration).HasException);
        std::vector<Bytes> expected;
        if (protocol == kFeatureReport) {
            expected.push_back(Phrase({0x89, 0x81, 1}));
            for (uint8_t block = 0; block < 5; ++block) {
                expected.push_back(Phrase({static_cast<uint8_t>(0x80 + block)}));
                expected.push_back(kStoredBlocks[block]);
            }
        } else {
            expected.push_back({0xFA, 0x09, 0x81, 1, 0});
            for (uint8_t block = 0; block < 5; ++block) {
                expected.push_back(Joined({{0xFA, 0x81, block, 0x00, 0x08}, kStoredBlocks[block]}));
            }
        }
        EXPECT_EQ(reader.Sent(), expected);
        EXPECT_EQ(StoredIn(reader, 1), Render(configuration));

        reader.ClearSent();
        ASSERT_FALSE(reader.Facade().SetConfigurationBlock4(3, configuration.Block4).HasException);
        EXPECT_THAT(reader.Sent(), SizeIs(protocol == kFeatureReport ? 3 : 2));
        EXPECT_EQ(reader.Reader().Model()->activeConfiguration, 3);
        const auto block4 = reader.Reader().Model()->configurations[3].blocks[3];
        EXPECT_EQ(Bytes(block4.begin(), block4.end()), kStoredBlocks[3]);
    }
}

// Every block and the number are checked before the selection goes out, so a refused write
// leaves the reader as it was. An MFP24 reader refuses the selection first.
TEST(ConfigurationFacadeTest, ARefusedWriteSendsNothingAtAll) {
    ReaderConfiguration badBlock4 = StoredConfiguration();
    badBlock4.Block4.LeadingParityBig = 128;
    struct FailureRow {
        const char* what;
        uint8_t protocol;
        std::function<ProtocolCommandResult(const ProtocolFacade&)> run;
        const char* message;
        const char* file;
    };
    const char* const block4 =
        "ReaderConfigurationBlock4::LeadingParityBig setting must be between 0 and 127 inclusive";
    const std::vector<FailureRow> rows = {
        {"whole configuration, block 4 out of range", kFeatureReport,
         [&](const ProtocolFacade& f) { return f.SetConfiguration(1, badBlock4); }, block4, "CommandVisitor"},
        {"whole configuration, block 4 out of range", kSerialBinary,
         [&](const ProtocolFacade& f) { return f.SetConfiguration(1, badBlock4); }, block4, "CommandVisitor"},
        {"whole configuration, configuration 4", kSerialBinary,
         [&](const ProtocolFacade& f) { return f.SetConfiguration(4, StoredConfiguration()); },
         "Configuration number must be between 0 and 3.", "SetActiveConfigurationVisitor"},
        {"block 4 alone, out of range", kFeatureReport,
         [&](const ProtocolFacade& f) { return f.SetConfigurationBlock4(1, badBlock4.Block4); }, block4,
         "CommandVisitor"},
        {"block 2 alone, configuration 4", kFeatureReport,
         [&](const ProtocolFacade& f) { return f.SetConfigurationBlock2(4, badBlock4.Block2); },
         "Configuration number must be between 0 and 3.", "SetActiveConfigurationVisitor"},
        {"whole configuration on MFP24", kMfp24,
         [&](const ProtocolFacade& f) { return f.SetConfiguration(9, badBlock4); },
         "SetActiveConfiguration is not supported by MFP24.", "SetActiveConfigurationVisitor"},
        {"whole configuration read on MFP24", kMfp24,
         [&](const ProtocolFacade& f) {
             ReaderConfiguration configuration;
             return f.GetConfiguration(1, configuration);
         },
         "SetActiveConfiguration is not supported by MFP24.", "SetActiveConfigurationVisitor"},
        {"block read on MFP24", kMfp24,
         [&](const ProtocolFacade& f) {
             ReaderConfigurationBlock1 block;
             return f.GetConfigurationBlock1(block);
         },
         "This command is not yet supported with the MFP24 Protocol", "GetConfigurationBlock1Visitor"},
        {"active configuration on MFP24", kMfp24,
         [&](const ProtocolFacade& f) {
             ActiveConfigurationInformation information{};
             return f.GetActiveConfiguration(information);
         },
         "GetActiveConfiguration is not supported by the MFP24 protocol.", "GetActiveConfigurationVisitor"},
        // The MFP24 reader copies only 2 to 0, 1 to 0 and 0 to 1; its command refuses the rest.
        {"copy of a pair the MFP24 reader lacks", kMfp24,
         [&](const ProtocolFacade& f) {
             return f.CopyConfiguration(static_cast<ConfigurationLocation>(1), static_cast<ConfigurationLocation>(2), 0,
                                        0);
         },
         "Unknown exception occurred within C++ code. This is not an Elvarin exception. Message: 'Invalid source and "
         "destination combination'",
         "Unknown"},
        {"stored defaults on MFP24", kMfp24, [&](const ProtocolFacade& f) { return f.LoadStoredDefaults(); },
         "This command is not yet supported with the MFP24 Protocol", "LoadStoredDefaultsVisitor"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(std::string(row.what) + " on " + WireName(row.protocol));
        FacadeOnSimulatedReader reader(row.protocol);
        const ProtocolCommandResult record = row.run(reader.Facade());
        EXPECT_TRUE(record.HasException);
        EXPECT_STREQ(record.Message, row.message);
        EXPECT_STREQ(record.File, row.file);
        EXPECT_THAT(reader.Sent(), IsEmpty());
    }
}

// A failure in mid-exchange stops there: the selection stays, the caller's configuration is
// untouched by a failed read, and blocks written before a failed write stay written.
TEST(ConfigurationFacadeTest, AFailureInMidExchangeStopsThere) {
    FacadeOnSimulatedReader reader(kSerialBinary);
    StoreBlocksInConfiguration2(reader);
    reader.InjectFault(TavSim::FaultTrigger::OnCommand({0xFA, 0x01, 0x02}), TavSim::Fault::WrongStatusWord(0x6A80));
    ReaderConfiguration configuration;
    configuration.Block1.FacDigitCount = 9;
    const std::string before = Render(configuration);
    EXPECT_TRUE(reader.Facade().GetConfiguration(2, configuration).HasException);
    EXPECT_EQ(Render(configuration), before);
    EXPECT_EQ(reader.Reader().Model()->activeConfiguration, 2);
    EXPECT_THAT(reader.Sent(), SizeIs(4));

    FacadeOnSimulatedReader writer(kSerialBinary);
    writer.InjectFault(TavSim::FaultTrigger::OnCommand({0xFA, 0x81, 0x03}), TavSim::Fault::WrongStatusWord(0x6A80));
    const ReaderConfiguration written = StoredConfiguration();
    EXPECT_TRUE(writer.Facade().SetConfiguration(1, written).HasException);
    EXPECT_EQ(writer.Reader().Model()->activeConfiguration, 1);
    const auto blocks = writer.Reader().Model()->configurations[1].blocks;
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Bytes(blocks[i].begin(), blocks[i].end()), kStoredBlocks[i]) << "block " << i + 1;
    }
    EXPECT_EQ(blocks[4], (std::array<uint8_t, 8>{}));
}

TEST(ConfigurationFacadeTest, AFailedActiveConfigurationReadIsRecordedLikeAnyOther) {
    FacadeOnSimulatedReader reader(kSerialBinary);
    reader.InjectFault(TavSim::FaultTrigger::OnCommand({0xFA, 0x09, 0x01}), TavSim::Fault::NoReply());
    ActiveConfigurationInformation information;
    std::memset(&information, 0x77, sizeof information);
    const ProtocolCommandResult record = reader.Facade().GetActiveConfiguration(information);
    EXPECT_TRUE(record.HasException);
    EXPECT_STREQ(record.ExceptionType, "ElvarinException");
    EXPECT_EQ(information.ConfigurationCount, 0x77);
}

TEST(ConfigurationFacadeTest, ExtendedConfigurationAndStoredDefaultsGoThroughTheFacade) {
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        FacadeOnSimulatedReader reader(protocol);
        TavCommon::ExtendedConfiguration written{};
        written.Header = {1, 4, 4, 1, 2, 0, 16};
        written.FieldEntries[0].FieldValid = 1;
        written.FieldEntries[0].BitCountOfField = 26;
        written.ApplicationData.MaxBitCount = 26;
        ASSERT_FALSE(reader.Facade().SetExtendedConfiguration(written, TavCommon::HashData{}).HasException);
        TavCommon::ExtendedConfiguration read{};
        ASSERT_FALSE(reader.Facade().GetExtendedConfiguration(read).HasException);
        EXPECT_EQ(read, written);
    }
    // One stored-defaults load per protocol; the serial one pauses 1.2 s for the reader.
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        FacadeOnSimulatedReader reader(protocol);
        ASSERT_FALSE(reader.Facade().LoadStoredDefaults().HasException);
        EXPECT_EQ(reader.Reader().Model()->storedDefaultsLoads, 1U);
    }
}

}  // namespace
