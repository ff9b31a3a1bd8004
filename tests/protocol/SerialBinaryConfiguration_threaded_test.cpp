// Configuration blocks and the extended configuration against the simulated reader on a
// pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "serialBinary/GetConfigurationBlock1WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock2WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock3WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock4WithSerialBinaryProtocol.h"
#include "serialBinary/GetConfigurationBlock5WithSerialBinaryProtocol.h"
#include "serialBinary/GetExtendedConfigurationWithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock1WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock2WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock3WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock4WithSerialBinaryProtocol.h"
#include "serialBinary/SetConfigurationBlock5WithSerialBinaryProtocol.h"
#include "serialBinary/SetExtendedConfigurationWithSerialBinaryProtocol.h"
#include "support/SerialLineFixture.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::CatchProtocolFailure;
using TavTest::ProtocolFailure;
using Bytes = std::vector<uint8_t>;
using Frames = std::vector<Bytes>;

class SerialBinaryConfigurationTest : public TavTest::SerialLineFixture {
protected:
    // Writes the block through the library, then reads it back: what the reader stored is the
    // encoding the write sent, and the read decodes it back to the block.
    template <typename Block, typename Set, typename Get>
    void RoundTrip(int number, const Block& block) {
        SCOPED_TRACE(number);
        frontEnd_.ClearReceived();
        Set set(block);
        Run(set);
        Get get;
        Run(get);
        EXPECT_EQ(get.GetResult(), block);
        const auto index = static_cast<uint8_t>(number - 1);
        Bytes write{0xFA, 0x81, index, 0x00, 0x08};
        const Bytes encoded = block.ToBytes();
        write.insert(write.end(), encoded.begin(), encoded.end());
        EXPECT_EQ(Wire(), (Frames{write, {0xFA, 0x01, index, 0x00, 0x08}}));
        const auto& stored = reader_.Model()->ActiveConfiguration().blocks[index];
        EXPECT_EQ(Bytes(stored.begin(), stored.end()), encoded);
    }
};

TEST_F(SerialBinaryConfigurationTest, EachBlockIsWrittenAndReadInOneFrame) {
    ReaderConfigurationBlock1 block1;
    block1.FacDigitCount = 5;
    block1.IdBitCount = 26;
    block1.TerminationCharacter = 0x0D;
    RoundTrip<ReaderConfigurationBlock1, SetConfigurationBlock1WithSerialBinaryProtocol,
              GetConfigurationBlock1WithSerialBinaryProtocol>(1, block1);
    RoundTrip<ReaderConfigurationBlock2, SetConfigurationBlock2WithSerialBinaryProtocol,
              GetConfigurationBlock2WithSerialBinaryProtocol>(
        2, ReaderConfigurationBlock2::FromBytes({0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}));
    RoundTrip<ReaderConfigurationBlock3, SetConfigurationBlock3WithSerialBinaryProtocol,
              GetConfigurationBlock3WithSerialBinaryProtocol>(3, ReaderConfigurationBlock3{});
    RoundTrip<ReaderConfigurationBlock4, SetConfigurationBlock4WithSerialBinaryProtocol,
              GetConfigurationBlock4WithSerialBinaryProtocol>(4, ReaderConfigurationBlock4{});
    RoundTrip<ReaderConfigurationBlock5, SetConfigurationBlock5WithSerialBinaryProtocol,
              GetConfigurationBlock5WithSerialBinaryProtocol>(
        5, ReaderConfigurationBlock5::FromBytes({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x00}));
}

TEST_F(SerialBinaryConfigurationTest, BlockFailures) {
    const auto get2 = [this] {
        return CatchProtocolFailure([&] {
            GetConfigurationBlock2WithSerialBinaryProtocol command;
            Run(command);
            command.GetResult();
        });
    };
    const auto set1 = [this] {
        return CatchProtocolFailure([&] {
            SetConfigurationBlock1WithSerialBinaryProtocol command(ReaderConfigurationBlock1{});
            Run(command);
        });
    };
    const ProtocolFailure invalidRead{"Invalid ACK data received from reader after Get Configuration block 2 command",
                                      "GetConfigurationBlock2WithSerialBinaryProtocol", "ValidateResponse"};
    Inject({0xFA, 0x01}, Fault::WrongStatusWord(0x6A82));
    EXPECT_EQ(get2(), invalidRead);
    Inject({0xFA, 0x01}, Fault::ShortReply(10));
    EXPECT_EQ(get2(), invalidRead);
    Inject({0xFA, 0x01}, Fault::CorruptByte(0, 0x02));
    EXPECT_EQ(get2(), invalidRead);
    Inject({0xFA, 0x01}, Fault::NoReply());
    EXPECT_EQ(get2(), (ProtocolFailure{"Get Configuration block 2 command response was empty.",
                                       "GetConfigurationBlock2WithSerialBinaryProtocol", "ValidateResponse"}));
    Inject({0xFA, 0x81}, Fault::WrongStatusWord(0x6B00));
    EXPECT_EQ(set1(), (ProtocolFailure{"Invalid ACK data received from reader after SetConfigurationBlock1 command",
                                       "SetConfigurationBlock1WithSerialBinaryProtocol", "ValidateResponse"}));
    Inject({0xFA, 0x81}, Fault::ShortReply(2));
    EXPECT_EQ(set1().message, "Invalid ACK data received from reader after SetConfigurationBlock1 command");
}

// Header (1, 4, 4, 1, 2, 0, 16), one field entry, application data.
TavCommon::ExtendedConfiguration SampleConfiguration() {
    TavCommon::ExtendedConfiguration configuration;
    configuration.Header = {1, 4, 4, 1, 2, 0, 16};
    configuration.FieldEntries[0].FieldValid = 1;
    configuration.FieldEntries[0].BitCountOfField = 16;
    configuration.FieldEntries[0].StartingBitPosition = 8;
    configuration.ApplicationData.FieldDefinitionType = 2;
    configuration.ApplicationData.MaxBitCount = 64;
    return configuration;
}

TEST_F(SerialBinaryConfigurationTest, ExtendedConfigurationIsReadHeaderFirst) {
    const TavCommon::ExtendedConfiguration configuration = SampleConfiguration();
    const Bytes image = configuration.ToVector();
    std::copy(image.begin(), image.end(), reader_.Model()->ActiveConfiguration().extended.begin());

    GetExtendedConfigurationWithSerialBinaryProtocol command;
    Run(command);
    EXPECT_EQ(command.GetResult(), configuration);
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x0A, 0x00, 0x00, 0x08}, {0xFA, 0x0A, 0x00, 0x00, 0x80}}));
}

TEST_F(SerialBinaryConfigurationTest, ExtendedConfigurationReadFailures) {
    const Bytes image = SampleConfiguration().ToVector();
    constexpr const char* kFile = "GetExtendedConfigurationWithSerialBinaryProtocol";
    const auto read = [this] {
        return CatchProtocolFailure([&] {
            GetExtendedConfigurationWithSerialBinaryProtocol command;
            Run(command);
        });
    };
    // An erased store: its header names no structure.
    EXPECT_EQ(read(), (ProtocolFailure{"Invalid Header data received from reader while executing "
                                       "GetExtendedConfiguration command",
                                       kFile, "validateAndParseHeaderResponse"}));
    std::copy(image.begin(), image.end(), reader_.Model()->ActiveConfiguration().extended.begin());

    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(0), Fault::ShortReply(10), 1);
    EXPECT_EQ(read(), (ProtocolFailure{"Invalid ACK data received from reader for Data header while executing "
                                       "GetExtendedConfiguration command",
                                       kFile, "validateAndParseHeaderResponse"}));
    EXPECT_EQ(Wire().size(), 1u);  // no image is asked for after a bad header

    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(1), Fault::ShortReply(130), 1);
    EXPECT_EQ(read(), (ProtocolFailure{"Invalid ACK data received from reader after GetExtendedConfiguration command",
                                       kFile, "ValidateResponse"}));
    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(1), Fault::WrongStatusWord(0x6A82), 1);
    EXPECT_EQ(read().message, "Invalid ACK data received from reader after GetExtendedConfiguration command");
}

TEST_F(SerialBinaryConfigurationTest, ExtendedConfigurationWriteSendsTheHashesTheReaderNeeds) {
    const TavCommon::ExtendedConfiguration configuration = SampleConfiguration();
    const Bytes image = configuration.ToVector();
    TavCommon::HashData none{};
    TavCommon::HashData second{};
    std::fill(std::begin(second.Hash2), std::end(second.Hash2), 0x22);
    TavCommon::HashData enforced{};
    enforced.EnhanceSecurityFirmwareState = 1;
    std::fill(std::begin(enforced.Hash1), std::end(enforced.Hash1), 0x11);

    const auto frame = [](uint8_t part, const Bytes& data) {
        Bytes bytes{0xFA, 0x8A, 0x00, part, static_cast<uint8_t>(data.size())};
        bytes.insert(bytes.end(), data.begin(), data.end());
        return bytes;
    };
    struct Case {
        const char* name;
        TavCommon::HashData hashes;
        Frames wire;
    };
    const Case cases[] = {
        {"no hashes", none, {frame(0x00, image)}},
        {"second hash", second, {frame(0x00, image), frame(0x11, Bytes(16, 0x22))}},
        {"enforced", enforced, {frame(0x00, image), frame(0x01, Bytes(16, 0x11)), frame(0x11, Bytes(16, 0x00))}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frontEnd_.ClearReceived();
        SetExtendedConfigurationWithSerialBinaryProtocol command(configuration, c.hashes);
        Run(command);
        EXPECT_EQ(Wire(), c.wire);
    }
    auto model = reader_.Model();
    EXPECT_EQ(Bytes(model->ActiveConfiguration().extended.begin(), model->ActiveConfiguration().extended.end()), image);
    EXPECT_EQ(model->extendedHash1,
              (std::array<uint8_t, 16>{0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                       0x11, 0x11, 0x11}));
}

TEST_F(SerialBinaryConfigurationTest, ExtendedConfigurationWriteChecksEveryReply) {
    TavCommon::HashData hashes{};
    hashes.EnhanceSecurityFirmwareState = 1;
    for (const Fault& fault : {Fault::WrongStatusWord(0x6A82), Fault::TrailingBytes(1)}) {
        frontEnd_.ClearFaults();
        frontEnd_.ClearReceived();
        frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(2), fault, 1);
        EXPECT_EQ(CatchProtocolFailure([&] {
                      SetExtendedConfigurationWithSerialBinaryProtocol command(SampleConfiguration(), hashes);
                      Run(command);
                  }),
                  (ProtocolFailure{"Invalid ACK data received from reader after SetExtendedConfiguration command",
                                   "SetExtendedConfigurationWithSerialBinaryProtocol", "ValidateResponse"}));
    }
}

}  // namespace
