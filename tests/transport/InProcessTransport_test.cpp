// The simulated reader as the code under test reaches it in process: its configuration-block
// commands, its record of the wire, and the faults a test can inject.
#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"

namespace {

using Bytes = std::vector<uint8_t>;
using TavSim::Fault;
using TavSim::FaultTrigger;
using testing::ElementsAre;

const Bytes kBlock3{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38};

class InProcessTransportTest : public testing::Test {
protected:
    InProcessTransportTest() {
        auto model = reader.Model();
        model->activeConfiguration = 2;
        std::copy(kBlock3.begin(), kBlock3.end(), model->configurations[2].blocks[2].begin());
    }

    void Send(Bytes phrase, TavTransport::ReportType kind = TavTransport::ReportType::Feature) {
        TavTransport::TransportPayload payload{std::move(phrase), 0, kind};
        payload.length = static_cast<uint16_t>(payload.data.size());
        transport.transmit(payload);
    }
    Bytes Read(uint16_t length = 8) {
        TavTransport::TransportPayload payload{{}, length, TavTransport::ReportType::Feature};
        return transport.receive(payload);
    }
    Bytes Exchange(Bytes phrase) {
        Send(std::move(phrase));
        return Read();
    }

    TavSim::SimulatedReader reader;
    TavSim::FeatureReportFrontEnd frontEnd{reader};
    TavTest::InProcessTransport transport{frontEnd};
};

TEST_F(InProcessTransportTest, BlockReadAnswersTheActiveConfigurationsBlock) {
    EXPECT_EQ(Exchange({0x82, 0, 0, 0, 0, 0, 0, 0}), kBlock3);
    EXPECT_THAT(frontEnd.ReceivedBytes(), ElementsAre(Bytes{0x82, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(InProcessTransportTest, BlockWriteStoresTheDataPhraseInTheActiveConfiguration) {
    Send({0x84, 0, 0, 0, 0, 0, 0, 0});
    Send({9, 8, 7, 6, 5, 4, 3, 2});
    // The next command is a command again, not more block data.
    EXPECT_EQ(Exchange({0x82, 0, 0, 0, 0, 0, 0, 0}), kBlock3);

    auto model = reader.Model();
    EXPECT_THAT(model->configurations[2].blocks[4], ElementsAre(9, 8, 7, 6, 5, 4, 3, 2));
    EXPECT_THAT(model->configurations[0].blocks[4], ElementsAre(0, 0, 0, 0, 0, 0, 0, 0));
}

TEST_F(InProcessTransportTest, ReadingAReplyEndsTheCommandSoTheNextPhraseIsNotTakenAsBlockData) {
    EXPECT_EQ(Exchange({0x84, 0, 0, 0, 0, 0, 0, 0}), Bytes(8, 0));
    Send({0x82, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Read(), kBlock3);
    EXPECT_THAT(reader.Model()->configurations[2].blocks[4], ElementsAre(0, 0, 0, 0, 0, 0, 0, 0));
}

TEST_F(InProcessTransportTest, UnknownCommandIsAnsweredWithEightZeroBytesAndEveryPhraseIsRecordedWithItsKind) {
    frontEnd.AllowUnknownPhrases();
    EXPECT_EQ(Exchange({0x8C, 0x7F}), Bytes(8, 0));
    Send({0x01, 0x02}, TavTransport::ReportType::Output);
    using Phrase = TavSim::FeatureReportFrontEnd::ReceivedPhrase;
    EXPECT_THAT(frontEnd.Received(), ElementsAre(Phrase{{0x8C, 0x7F}, TavSim::PhraseKind::Feature},
                                                 Phrase{{0x01, 0x02}, TavSim::PhraseKind::Output}));
}

TEST_F(InProcessTransportTest, ReplyIsReadOnceAndCutToTheLengthAskedFor) {
    Send({0x82});
    EXPECT_EQ(Read(3), (Bytes{0x31, 0x32, 0x33}));
    EXPECT_TRUE(Read().empty());
}

TEST_F(InProcessTransportTest, InjectedFaultsChangeTheReply) {
    struct Case {
        const char* what;
        FaultTrigger trigger;
        Fault fault;
        Bytes expected;
    };
    const Case cases[] = {
        {"no reply", FaultTrigger::OnCommand({0x82}), Fault::NoReply(), {}},
        {"short reply", FaultTrigger::OnCommand({0x82}), Fault::ShortReply(5), {0x31, 0x32, 0x33, 0x34, 0x35}},
        {"corrupt byte",
         FaultTrigger::OnPhrase(0),
         Fault::CorruptByte(7, 0xEE),
         {0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0xEE}},
        {"endless", FaultTrigger::OnCommand({0x82}), Fault::EndlessReply(), Bytes(8, 0x41)},
        {"other command", FaultTrigger::OnCommand({0x83}), Fault::NoReply(), kBlock3},
        {"other phrase", FaultTrigger::OnPhrase(1), Fault::NoReply(), kBlock3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frontEnd.ClearFaults();
        frontEnd.ClearReceived();
        frontEnd.InjectFault(c.trigger, c.fault);
        EXPECT_EQ(Exchange({0x82, 0, 0, 0, 0, 0, 0, 0}), c.expected);
    }
}

TEST_F(InProcessTransportTest, FaultCountedInTimesWearsOff) {
    frontEnd.InjectFault(FaultTrigger::OnCommand({0x82}), Fault::ShortReply(1), 2);
    EXPECT_EQ(Exchange({0x82}).size(), 1u);
    EXPECT_EQ(Exchange({0x82}).size(), 1u);
    EXPECT_EQ(Exchange({0x82}), kBlock3);
}

TEST_F(InProcessTransportTest, FaultOnACommandHitsItsDataPhraseToo) {
    // The device disappears as the block data arrives: the code went out, the data did not.
    frontEnd.InjectFault(FaultTrigger::OnPhrase(1), Fault::DeviceGone());
    Send({0x84});
    EXPECT_THROW(Send({1, 2, 3, 4, 5, 6, 7, 8}), std::runtime_error);
    EXPECT_THAT(frontEnd.ReceivedBytes(), ElementsAre(Bytes{0x84}));
}

TEST_F(InProcessTransportTest, GoneDeviceFailsEveryCallUntilItComesBack) {
    frontEnd.InjectFault(FaultTrigger::OnCommand({0x82}), Fault::DeviceGone(), 1);
    EXPECT_THROW(Send({0x82}), std::runtime_error);
    EXPECT_THROW(Read(), std::runtime_error);
    EXPECT_THROW(transport.init(1), std::runtime_error);
    EXPECT_TRUE(frontEnd.ReceivedBytes().empty());

    reader.Reconnect();
    transport.init(2);
    EXPECT_EQ(transport.LastRetryCount(), 2u);
    EXPECT_EQ(Exchange({0x82}), kBlock3);
}

// On a serial line a reply later than the receive delay is not waited for: it turns up in front of
// the next reply, unless the transport drops pending input first, as a command does.
TEST(InProcessSerialLine, AReplyLaterThanTheReceiveDelayArrivesWithTheNextOne) {
    using namespace std::chrono_literals;
    TavSim::SimulatedReader reader;
    TavSim::SerialBinaryFrontEnd frontEnd(reader);
    TavTest::InProcessTransport transport(frontEnd);
    auto exchange = [&](uint8_t instruction) {
        TavTransport::TransportPayload payload{{0xFA, instruction, 0, 0, 0}, 5, TavTransport::ReportType::Feature};
        transport.transmit(payload);
        return transport.receive(payload);
    };
    // Frames no reader knows, for the one answer they all get.
    frontEnd.AllowUnknownPhrases();
    const Bytes unknownFrame{0x6D, 0x00};
    // Far later than the window: a receive that waited for the reply could not pass for one that
    // ended with its window, however loaded the machine.
    const auto window = std::chrono::milliseconds(transport.receiveDelayMs());
    frontEnd.InjectFault(FaultTrigger::OnPhrase(0), Fault::LateReply(20 * window), 1);
    frontEnd.InjectFault(FaultTrigger::OnPhrase(2), Fault::LateReply(20 * window), 1);
    frontEnd.InjectFault(FaultTrigger::OnPhrase(4), Fault::LateReply(20ms), 1);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(exchange(0x7E).empty());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, window);
    EXPECT_LT(took, 10 * window);
    EXPECT_EQ(exchange(0x7D), (Bytes{0x6D, 0x00, 0x6D, 0x00})) << "the reply to the previous frame first";

    EXPECT_TRUE(exchange(0x7E).empty());
    transport.discardPendingInput();
    EXPECT_EQ(exchange(0x7D), unknownFrame);
    EXPECT_EQ(exchange(0x7C), unknownFrame) << "late, but within the receive delay";
}

// A phrase the simulator has no handler for fails the test that sent it, naming the phrase, so that
// a missing handler cannot pass for the answer a reader gives to a command it does not support.
TEST(SimulatedReader, AnUnknownPhraseFailsTheTestThatSentItNamingThePhrase) {
    struct Case {
        const char* reader;
        std::function<std::unique_ptr<TavSim::FrontEnd>(TavSim::SimulatedReader&)> make;
        Bytes phrase;
        const char* named;
    };
    const Case cases[] = {
        {"feature report", [](auto& reader) { return std::make_unique<TavSim::FeatureReportFrontEnd>(reader); },
         {0x8C, 0x7F, 0, 0, 0, 0, 0, 0},
         "The simulated feature-report reader has no handler for the phrase 8C 7F 00 00 00 00 00 00:"},
        {"MFP24",
         [](auto& reader) {
             return std::make_unique<TavSim::FeatureReportFrontEnd>(reader, TavSim::Mfp24Commands());
         },
         {'Z', 'Z', '0', '1'}, "The simulated MFP24 reader has no handler for the phrase 5A 5A 30 31:"},
        {"serial binary", [](auto& reader) { return std::make_unique<TavSim::SerialBinaryFrontEnd>(reader); },
         {0xFA, 0x7E, 0, 0, 0}, "The simulated serial-binary reader has no handler for the phrase FA 7E 00 00 00:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reader);
        TavSim::SimulatedReader reader;
        const auto frontEnd = c.make(reader);
        EXPECT_NONFATAL_FAILURE(frontEnd->Send(c.phrase, TavSim::PhraseKind::Feature), c.named);
        EXPECT_EQ(frontEnd->Receive(8).status, TavSim::FrontEndReply::Status::Replied) << "answered all the same";
    }
}

}  // namespace
