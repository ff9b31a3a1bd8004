#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/FixedText.h"
#include "common/ReaderDefinitionText.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialDefinition.h"
#include "support/ChildProcess.h"
#include "support/InProcessTransport.h"
#include "support/ScopedTransportOverride.h"
#include "transport/DummyTransport.h"
#include "transport/SerialTransport.h"
#include "transport/TransportException.h"
#include "transport/TransportFactory.h"
#include "transport/UsbHidTransport.h"

namespace {

using TavTransport::TransportFactory;
using testing::ElementsAre;

TavCommon::ReaderDefinition DefinitionOfType(uint8_t protocolType) {
    auto definition = TavCommon::MakeUsbReaderDefinition(0x1234, 0x5678, "1-7.2", "SN42");
    definition.ProtocolType = protocolType;
    return definition;
}

TEST(TransportFactoryTest, DummyTypeMakesADummyTransportWithACopyOfTheDefinition) {
    const auto definition = DefinitionOfType(254);
    const auto transport = TransportFactory::CreateTransport(definition);

    ASSERT_NE(dynamic_cast<TavTransport::DummyTransport*>(transport.get()), nullptr);
    EXPECT_EQ(std::memcmp(&transport->readerDefinition(), &definition, sizeof definition), 0);
    EXPECT_EQ(transport->receiveDelayMs(), 25u);
    transport->setReceiveDelayMs(70);
    EXPECT_EQ(transport->receiveDelayMs(), 70u);
}

TEST(TransportFactoryTest, UsbHidTypesMakeAnUnconnectedUsbHidTransport) {
    for (const uint8_t type : {1, 2}) {
        SCOPED_TRACE(int{type});
        const auto definition = DefinitionOfType(type);
        const auto transport = TransportFactory::CreateTransport(definition);
        ASSERT_NE(dynamic_cast<TavTransport::UsbHidTransport*>(transport.get()), nullptr);
        EXPECT_EQ(std::memcmp(&transport->readerDefinition(), &definition, sizeof definition), 0);
        EXPECT_EQ(transport->receiveDelayMs(), 25u);
        TavTransport::TransportPayload payload{{0x80}, 1, TavTransport::ReportType::Feature};
        EXPECT_THROW(transport->transmit(payload), TavTransport::TransportException);
    }
}

TEST(TransportFactoryTest, SerialBinaryTypeMakesAnUnconnectedSerialTransportFromCheckedSettings) {
    const auto definition = TavTest::SerialDefinition("/dev/ttyS7", 115200);
    const auto transport = TransportFactory::CreateTransport(definition);
    ASSERT_NE(dynamic_cast<TavTransport::SerialTransport*>(transport.get()), nullptr);
    EXPECT_EQ(std::memcmp(&transport->readerDefinition(), &definition, sizeof definition), 0);
    TavTransport::TransportPayload payload{{0xFA}, 1, TavTransport::ReportType::Feature};
    EXPECT_THROW(transport->transmit(payload), TavTransport::TransportException);

    auto unnamed = definition;
    std::memset(unnamed.SerialPortSettings.PortName, 0, sizeof unnamed.SerialPortSettings.PortName);
    try {
        TransportFactory::CreateTransport(unnamed);
        ADD_FAILURE() << "no exception";
    } catch (const TavTransport::TransportException& error) {
        EXPECT_STREQ(error.what(), "Port name cannot be empty for SerialTransport");
    }
}

TEST(TransportFactoryTest, TypesNoTransportSpeaksAreRefused) {
    for (const int type : {0, 4, 100, 253, 255}) {
        SCOPED_TRACE(type);
        try {
            TransportFactory::CreateTransport(DefinitionOfType(static_cast<uint8_t>(type)));
            ADD_FAILURE() << "no exception";
        } catch (const TavTransport::TransportException& error) {
            EXPECT_STREQ(error.what(), "Protocol type not supported by any transport");
            EXPECT_EQ(error.File(), "TransportFactory");
            EXPECT_EQ(error.Line(), 39);
            EXPECT_EQ(error.Function(), "CreateTransport");
            EXPECT_EQ(error.TypeName(), "ElvarinException");
        }
    }
}

TEST(TransportFactoryTest, OverrideHandsOutTheTestsTransportUntilRemoved) {
    TavSim::SimulatedReader reader;
    TavSim::FeatureReportFrontEnd frontEnd(reader);
    std::vector<int> typesAsked;
    {
        const TavTest::ScopedTransportOverride scoped(
            [&](const TavCommon::ReaderDefinition& definition) -> std::unique_ptr<TavTransport::Transport> {
                typesAsked.push_back(definition.ProtocolType);
                // Declining (no transport) leaves the choice to the factory.
                return definition.ProtocolType == 1
                           ? std::make_unique<TavTest::InProcessTransport>(frontEnd, definition)
                           : nullptr;
            });
        const auto simulated = TransportFactory::CreateTransport(DefinitionOfType(1));
        EXPECT_NE(dynamic_cast<TavTest::InProcessTransport*>(simulated.get()), nullptr);
        EXPECT_EQ(simulated->readerDefinition().ProtocolType, 1);
        EXPECT_NE(
            dynamic_cast<TavTransport::DummyTransport*>(TransportFactory::CreateTransport(DefinitionOfType(254)).get()),
            nullptr);
        EXPECT_THROW(TransportFactory::CreateTransport(DefinitionOfType(0)), TavTransport::TransportException);
    }
    EXPECT_THAT(typesAsked, ElementsAre(1, 254, 0));

    const auto afterwards = TransportFactory::CreateTransport(DefinitionOfType(254));
    EXPECT_NE(dynamic_cast<TavTransport::DummyTransport*>(afterwards.get()), nullptr);
    EXPECT_EQ(typesAsked.size(), 3u);
}

TEST(DummyTransportTest, ReceiveReturnsNothingWhateverLengthIsAsked) {
    TavTransport::DummyTransport transport(DefinitionOfType(254));
    transport.init(0);
    for (const uint16_t length : {0, 8, 24, 65535}) {
        TavTransport::TransportPayload payload{{1, 2, 3}, length, TavTransport::ReportType::Feature};
        EXPECT_TRUE(transport.receive(payload).empty());
    }
}

std::vector<std::string> LogLinesOf(const std::string& level, const std::string& program) {
    return TavTest::LogLines(
        TavTest::RunChild(TavTest::TestProgram(program), {}, {{"TAV_TRANSPORT_LOG_LEVEL", level}}).out);
}

TEST(DummyTransportTest, LogsEveryCallAtItsLevel) {
    const auto definition = []() {
        auto d = DefinitionOfType(254);
        d.VendorId = 0x0A1B;
        d.ProductId = 0x2C3D;
        std::memset(d.UsbPath, 0, sizeof d.UsbPath);
        std::memset(d.SerialNumber, 0, sizeof d.SerialNumber);
        d.SerialPortSettings.BaudRate = 1200;
        TavCommon::CopyToFixedField(d.SerialPortSettings.PortName, "/dev/ttyS7");
        return d;
    }();
    const std::string definitionText = TavCommon::FormatReaderDefinition(definition).value();
    EXPECT_THAT(definitionText, testing::HasSubstr("BaudRate: Unknown"));

    EXPECT_THAT(
        LogLinesOf("trace", "dummy_transport_probe"),
        ElementsAre("[debug] [TRANSPORT] DummyTransport init called with retry count 3",
                    "[trace] [TRANSPORT] Configuration provided by user: ", "[trace] [TRANSPORT] " + definitionText,
                    "[debug] [TRANSPORT] Transmit called with payload of size 2",
                    "[trace] [TRANSPORT] Transmission would include 2 bytes: [0x41, 0x00]",
                    "[trace] [TRANSPORT] ASCII => [A.]",
                    "[debug] [TRANSPORT] DummyTransport receive called expecting payload of size 2. "
                    "Returning empty vector.",
                    "[debug] [TRANSPORT] DummyTransport destructor called", "reply bytes: 0"));

    EXPECT_THAT(LogLinesOf("debug", "dummy_transport_probe"),
                ElementsAre("[debug] [TRANSPORT] DummyTransport init called with retry count 3",
                            "[debug] [TRANSPORT] Transmit called with payload of size 2",
                            "[debug] [TRANSPORT] DummyTransport receive called expecting payload of size 2. "
                            "Returning empty vector.",
                            "[debug] [TRANSPORT] DummyTransport destructor called", "reply bytes: 0"));
}

}  // namespace
