#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "CommandCases.h"
#include "featureReport/GetConfigurationBlock1WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock2WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock3WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock4WithFeatureReportProtocol.h"
#include "featureReport/GetConfigurationBlock5WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock1WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock2WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock3WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock4WithFeatureReportProtocol.h"
#include "featureReport/SetConfigurationBlock5WithFeatureReportProtocol.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::SimulatedFeatureReportReader;
using TavTest::Phrase;

template <typename Get, typename Set, typename Block>
struct BlockCommands {
    using GetCommand = Get;
    using SetCommand = Set;
    using Value = Block;
};

template <typename Commands>
class ConfigurationBlockCommandsTest : public ::testing::Test {};

using AllBlocks =
    ::testing::Types<BlockCommands<GetConfigurationBlock1WithFeatureReportProtocol,
                                   SetConfigurationBlock1WithFeatureReportProtocol, ReaderConfigurationBlock1>,
                     BlockCommands<GetConfigurationBlock2WithFeatureReportProtocol,
                                   SetConfigurationBlock2WithFeatureReportProtocol, ReaderConfigurationBlock2>,
                     BlockCommands<GetConfigurationBlock3WithFeatureReportProtocol,
                                   SetConfigurationBlock3WithFeatureReportProtocol, ReaderConfigurationBlock3>,
                     BlockCommands<GetConfigurationBlock4WithFeatureReportProtocol,
                                   SetConfigurationBlock4WithFeatureReportProtocol, ReaderConfigurationBlock4>,
                     BlockCommands<GetConfigurationBlock5WithFeatureReportProtocol,
                                   SetConfigurationBlock5WithFeatureReportProtocol, ReaderConfigurationBlock5>>;
TYPED_TEST_SUITE(ConfigurationBlockCommandsTest, AllBlocks);

// Block N of the active configuration is addressed by 0x80 + N - 1.
template <typename Block>
uint8_t BlockIndex() {
    if constexpr (std::is_same_v<Block, ReaderConfigurationBlock1>) return 0;
    if constexpr (std::is_same_v<Block, ReaderConfigurationBlock2>) return 1;
    if constexpr (std::is_same_v<Block, ReaderConfigurationBlock3>) return 2;
    if constexpr (std::is_same_v<Block, ReaderConfigurationBlock4>) return 3;
    return 4;
}

// A read sends the code alone and decodes the reply as it comes, with no echo to check.
TYPED_TEST(ConfigurationBlockCommandsTest, ReadSendsTheCodeAndDecodesTheStoredBytes) {
    using Commands = TypeParam;
    const uint8_t index = BlockIndex<typename Commands::Value>();
    const std::vector<uint8_t> stored = {0x15, 0x2A, 0x3C, 0x47, 0x58, 0x6E, 0x71, 0x8F};
    SimulatedFeatureReportReader device;
    device.reader.Model()->configurations[2].blocks[index] = {0x15, 0x2A, 0x3C, 0x47, 0x58, 0x6E, 0x71, 0x8F};
    device.reader.Model()->activeConfiguration = 2;

    typename Commands::GetCommand command;
    command.Execute(device.transport);
    EXPECT_EQ(command.GetResult(), Commands::Value::FromBytes(stored));
    EXPECT_EQ(device.Sent(), std::vector<std::vector<uint8_t>>{Phrase({static_cast<uint8_t>(0x80 + index)})});
}

// A write sends the code, then the block's 8 bytes, and reads nothing; a read gives it back.
TYPED_TEST(ConfigurationBlockCommandsTest, WriteSendsCodeThenBlockAndReadsNothing) {
    using Commands = TypeParam;
    const uint8_t index = BlockIndex<typename Commands::Value>();
    const auto block = Commands::Value::FromBytes({0x05, 0x1A, 0x23, 0x40, 0x11, 0x09, 0x81, 0x03});
    SimulatedFeatureReportReader device;

    typename Commands::SetCommand write(block);
    write.Execute(device.transport);
    EXPECT_EQ(write.ResponsePhraseCount(), 0);
    EXPECT_EQ(device.Sent(),
              (std::vector<std::vector<uint8_t>>{Phrase({static_cast<uint8_t>(0x80 + index)}), block.ToBytes()}));
    const auto stored = device.reader.Model()->ActiveConfiguration().blocks[index];
    EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.end()), block.ToBytes());

    typename Commands::GetCommand read;
    read.Execute(device.transport);
    EXPECT_EQ(read.GetResult(), block);
}

template <typename Get>
void ReadBlock(TavTransport::Transport& transport) {
    Get command;
    command.Execute(transport);
    command.GetResult();
}

TEST(ConfigurationBlockReadTest, AShortOrMissingReplyFails) {
    const auto shortReply = [](SimulatedFeatureReportReader& device) { device.FaultOnPhrase(0, Fault::ShortReply(7)); };
    TavTest::RunFailureCases({
        {"block 1, short",
         shortReply,
         ReadBlock<GetConfigurationBlock1WithFeatureReportProtocol>,
         {"Invalid response received for GetConfigurationBlock1 command.",
          "GetConfigurationBlock1WithFeatureReportProtocol", "GetResult"}},
        {"block 2, short",
         shortReply,
         ReadBlock<GetConfigurationBlock2WithFeatureReportProtocol>,
         {"Invalid response received for GetConfigurationBlock2 command.",
          "GetConfigurationBlock2WithFeatureReportProtocol", "GetResult"}},
        {"block 3, short",
         shortReply,
         ReadBlock<GetConfigurationBlock3WithFeatureReportProtocol>,
         {"Invalid response received for GetConfigurationBlock3 command.",
          "GetConfigurationBlock3WithFeatureReportProtocol", "GetResult"}},
        {"block 4, short",
         shortReply,
         ReadBlock<GetConfigurationBlock4WithFeatureReportProtocol>,
         {"Invalid response received for GetConfigurationBlock4 command.",
          "GetConfigurationBlock4WithFeatureReportProtocol", "GetResult"}},
        {"block 5, short",
         shortReply,
         ReadBlock<GetConfigurationBlock5WithFeatureReportProtocol>,
         {"Invalid response received for GetConfigurationBlock5 command.",
          "GetConfigurationBlock5WithFeatureReportProtocol", "GetResult"}},
        {"block 5 before the exchange",
         nullptr,
         [](auto&) { GetConfigurationBlock5WithFeatureReportProtocol().GetResult(); },
         {"Invalid response received for GetConfigurationBlock5 command.",
          "GetConfigurationBlock5WithFeatureReportProtocol", "GetResult"}},
    });
}

}  // namespace
