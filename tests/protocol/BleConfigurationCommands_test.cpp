// BLE radio settings read and written against the simulated reader; the size and header of a
// reply are checked as it arrives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ProtocolException.h"
#include "featureReport/GetBleConfigurationWithFeatureReportProtocol.h"
#include "featureReport/SetBleConfigurationWithFeatureReportProtocol.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/ScriptedTransport.h"
#include "support/SimulatedFeatureReportReader.h"

namespace {

using Bytes = std::vector<uint8_t>;
using TavSim::Fault;
using TavSim::FaultTrigger;
using testing::ElementsAre;

class BleConfigurationTest : public testing::Test {
protected:
    static void ExpectFailure(const std::function<void()>& run, const std::string& message, const char* source,
                              const char* function) {
        TavTest::ExpectProtocolFailure(run, {message, source, function});
    }

    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_};
    TavTest::InProcessTransport transport_{frontEnd_};
};

TEST_F(BleConfigurationTest, ReadDecodesSignedPowerAndThreshold) {
    reader_.Model()->bleConfiguration = {0x01, 0xC9, 0xF0};
    TavProtocol::GetBleConfigurationWithFeatureReportProtocol command;
    command.Execute(transport_);
    command.ValidateResponse();
    EXPECT_EQ(command.GetResult(), (TavProtocol::BleConfiguration{.Flags = 1, .TapInRssi = -55, .TxPower = -16}));
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Bytes{0x8C, 0x07, 0, 0, 0, 0, 0, 0}));
}

TEST_F(BleConfigurationTest, WriteClearsTheReadersBitsAndAcceptsAnyByteTwo) {
    TavProtocol::SetBleConfigurationWithFeatureReportProtocol command(
        {.Flags = 0xFF, .TapInRssi = -63, .TxPower = -40});
    command.Execute(transport_);
    command.ValidateResponse();
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Bytes{0x8C, 0x87, 0x9F, 0xC1, 0xD8, 0, 0, 0}));
    const auto stored = reader_.Model()->bleConfiguration;
    EXPECT_EQ(stored[0], 0x9F);
    EXPECT_EQ(stored[1], 0xC1);
    EXPECT_EQ(stored[2], 0xD8);
}

TEST_F(BleConfigurationTest, ReadRefusesABadReplyAsItArrives) {
    const char* source = "GetBleConfigurationWithFeatureReportProtocol";
    const std::vector<std::pair<Fault, std::string>> cases{
        {Fault::NoReply(), "Invalid response phrase size for GetBleConfiguration command"},
        {Fault::ShortReply(7), "Invalid response phrase size for GetBleConfiguration command"},
        {Fault::CorruptByte(1, 0x87), "Invalid response header for GetBleConfiguration command"},
    };
    for (const auto& [fault, message] : cases) {
        frontEnd_.ClearFaults();
        frontEnd_.InjectFault(FaultTrigger::OnCommand({0x8C, 0x07}), fault);
        TavProtocol::GetBleConfigurationWithFeatureReportProtocol command;
        ExpectFailure([&] { command.Execute(transport_); }, message, source, "AddResponsePhrase");
        ExpectFailure([&] { command.ValidateResponse(); },
                      "Attempted to get result of GetBleConfiguration before all responses were received", source,
                      "ValidateResponse");
        EXPECT_EQ(command.GetResult(), TavProtocol::BleConfiguration{});
    }

    // A reply longer than asked for, which only a transport other than USB can hand back.
    TavTest::ScriptedTransport scripted;
    scripted.QueueReply({0x8C, 0x07, 1, 2, 3, 0, 0, 0, 0});
    TavProtocol::GetBleConfigurationWithFeatureReportProtocol command;
    ExpectFailure([&] { command.Execute(scripted); }, "Invalid response phrase size for GetBleConfiguration command",
                  source, "AddResponsePhrase");
}

TEST_F(BleConfigurationTest, WriteChecksSizeOnArrivalAndTheAcknowledgementAfter) {
    const char* source = "SetBleConfigurationWithFeatureReportProtocol";
    const TavProtocol::BleConfiguration settings{.Flags = 0, .TapInRssi = -30, .TxPower = 0};

    frontEnd_.InjectFault(FaultTrigger::OnCommand({0x8C, 0x87}), Fault::ShortReply(7));
    TavProtocol::SetBleConfigurationWithFeatureReportProtocol shortReply(settings);
    ExpectFailure([&] { shortReply.Execute(transport_); },
                  "Invalid response phrase size for SetBleConfiguration command", source, "AddResponsePhrase");
    ExpectFailure([&] { shortReply.ValidateResponse(); }, "No response received", source, "ValidateResponse");

    for (const auto& fault : {Fault::CorruptByte(7, 0x01), Fault::CorruptByte(3, 0x01), Fault::CorruptByte(1, 0x07)}) {
        frontEnd_.ClearFaults();
        frontEnd_.InjectFault(FaultTrigger::OnCommand({0x8C, 0x87}), fault);
        TavProtocol::SetBleConfigurationWithFeatureReportProtocol command(settings);
        command.Execute(transport_);
        ExpectFailure([&] { command.ValidateResponse(); }, "Invalid response received", source, "ValidateResponse");
    }

    frontEnd_.ClearFaults();
    frontEnd_.InjectFault(FaultTrigger::OnCommand({0x8C, 0x87}), Fault::CorruptByte(2, 0x5A));
    TavProtocol::SetBleConfigurationWithFeatureReportProtocol command(settings);
    command.Execute(transport_);
    EXPECT_NO_THROW(command.ValidateResponse());
}

}  // namespace
