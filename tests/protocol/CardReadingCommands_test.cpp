#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "CommandCases.h"
#include "featureReport/GetCardAnalyzerDataWithFeatureReportProtocol.h"
#include "featureReport/GetCardAnalyzerStatusWithFeatureReportProtocol.h"
#include "featureReport/GetCardBitCountWithFeatureReportProtocol.h"
#include "featureReport/GetCardDataWithFeatureReportProtocol.h"
#include "featureReport/GetQueuedIdWithFeatureReportProtocol.h"
#include "featureReport/SetCardAnalyzerControlWithFeatureReportProtocol.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavTest::CommandCase;
using TavTest::FailureCase;
using TavTest::SimulatedFeatureReportReader;
using TavTest::Phrase;

std::vector<uint8_t> Counting(std::size_t count, uint8_t first = 1) {
    std::vector<uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

void PresentCard(TavSim::DeviceModel& model, uint16_t bits, std::vector<uint8_t> data) {
    model.presentedCards.push_back({.cardType = 1, .bitCount = bits, .data = std::move(data)});
}

std::vector<CardAnalyzerData> Analyze(TavTransport::Transport& transport, int32_t cards) {
    GetCardAnalyzerDataWithFeatureReportProtocol command(cards, std::vector<CardAnalyzerData>(cards));
    command.Execute(transport);
    command.ValidateResponse();
    return command.GetResult();
}

CardAnalyzerData Record(uint16_t type, uint16_t bits, const std::vector<uint8_t>& tail) {
    CardAnalyzerData record{.CardType = type, .BitCount = bits};
    std::copy(tail.begin(), tail.end(), record.Data.end() - static_cast<std::ptrdiff_t>(tail.size()));
    return record;
}

TEST(CardReadingCommandsTest, EachCommandSendsItsPhrasesAndDecodesTheReply) {
    TavTest::RunCommandCases({
        {"card data, short read",
         [](auto& model) { PresentCard(model, 26, Counting(32)); },
         [](auto& transport) {
             GetCardDataWithFeatureReportProtocol command(GetCardDataSizeParameters::Short);
             command.Execute(transport);
             auto expected = Counting(8);
             expected.resize(32, 0);
             EXPECT_EQ(command.GetResult(), expected);
         },
         {Phrase({0x8F})}},
        {"card data, long read",
         [](auto& model) { PresentCard(model, 255, Counting(32)); },
         [](auto& transport) {
             GetCardDataWithFeatureReportProtocol command(GetCardDataSizeParameters::Long);
             command.Execute(transport);
             EXPECT_EQ(command.GetResult(), Counting(32));
         },
         {Phrase({0x8D, 0}), Phrase({0x8D, 1}), Phrase({0x8D, 2}), Phrase({0x8D, 3})}},
        {"card data, unknown size sends nothing",
         nullptr,
         [](auto& transport) {
             GetCardDataWithFeatureReportProtocol command(GetCardDataSizeParameters{3});
             command.Execute(transport);
             EXPECT_EQ(command.GetResult(), std::vector<uint8_t>(32, 0));
         },
         {}},
        {"card bit count",
         [](auto& model) { PresentCard(model, 26, Counting(4)); },
         [](auto& transport) {
             GetCardBitCountWithFeatureReportProtocol command;
             command.Execute(transport);
             EXPECT_EQ(command.GetResult(), 26);
         },
         {Phrase({0x8E})}},
        {"queued id",
         [](auto& model) {
             std::iota(model.queuedId.begin(), model.queuedId.end(), uint8_t{0x40});
             model.queuedIdValue = {0xA1, 0xB2, 0xC3, 0xD4};
             model.queuedIdLastByte = 0xEE;
         },
         [](auto& transport) {
             GetQueuedIdWithFeatureReportProtocol command(0x5A);
             command.Execute(transport);
             const QueuedIdInformation id = command.GetResult();
             EXPECT_EQ(std::vector<uint8_t>(id.Data, id.Data + 32), Counting(32, 0x40));
             const auto* value = reinterpret_cast<const uint8_t*>(&id) + 32;
             EXPECT_EQ(std::vector<uint8_t>(value, value + 4), (std::vector<uint8_t>{0xA1, 0xB2, 0xC3, 0xD4}));
             EXPECT_EQ(id.LastByte, 0xEE);
         },
         {Phrase({0x8C, 0x02, 0}), Phrase({0x8C, 0x02, 1}), Phrase({0x8C, 0x02, 2}), Phrase({0x8C, 0x02, 3}),
          Phrase({0x8C, 0x02, 4, 0x5A})}},
        {"card analyzer status",
         [](auto& model) { model.cardAnalyzerStatus = 0x1234; },
         [](auto& transport) {
             GetCardAnalyzerStatusWithFeatureReportProtocol command;
             command.Execute(transport);
             EXPECT_EQ(command.GetResult(), 0x1234);
         },
         {Phrase({0x8C, 0x08})}},
        {"card analyzer control",
         nullptr,
         [](auto& transport) {
             SetCardAnalyzerControlWithFeatureReportProtocol command(CardAnalyzerControlParameter{2});
             command.Execute(transport);
             command.ValidateResponse();
         },
         {Phrase({0x8C, 0x88, 2})}},
        {"card analyzer data, a card of 26 bits and one of none",
         [](auto& model) {
             model.analyzerCards = {{.cardType = 0x0102, .bitCount = 26, .data = {0xD0, 0xD1, 0xD2, 0xD3}},
                                    {.cardType = 0x0007, .bitCount = 0, .data = {}}};
         },
         [](auto& transport) {
             const auto records = Analyze(transport, 2);
             ASSERT_EQ(records.size(), 2u);
             EXPECT_EQ(records[0], Record(0x0102, 26, {0xD3, 0xD2, 0xD1, 0xD0}));
             EXPECT_EQ(records[1], Record(0x0007, 0, {}));
         },
         {Phrase({0x8C, 0x09, 0, 0}), Phrase({0x8C, 0x09, 0, 1}), Phrase({0x8C, 0x09, 1, 0})}},
        {"card analyzer data, a card of 65 bits starts the next card on a fresh reply",
         [](auto& model) {
             model.analyzerCards = {{.cardType = 1, .bitCount = 65, .data = Counting(9, 0x10)},
                                    {.cardType = 2, .bitCount = 8, .data = {0xAB}}};
         },
         [](auto& transport) {
             const auto records = Analyze(transport, 2);
             ASSERT_EQ(records.size(), 2u);
             EXPECT_EQ(records[0], Record(1, 65, {0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x10}));
             EXPECT_EQ(records[1], Record(2, 8, {0xAB}));
         },
         {Phrase({0x8C, 0x09, 0, 0}), Phrase({0x8C, 0x09, 0, 1}), Phrase({0x8C, 0x09, 0, 2}),
          Phrase({0x8C, 0x09, 1, 0}), Phrase({0x8C, 0x09, 1, 1})}},
        {"card analyzer data, a full 256-bit card",
         [](auto& model) { model.analyzerCards = {{.cardType = 3, .bitCount = 256, .data = Counting(32)}}; },
         [](auto& transport) {
             const auto records = Analyze(transport, 1);
             auto reversed = Counting(32);
             std::reverse(reversed.begin(), reversed.end());
             EXPECT_EQ(records.at(0), Record(3, 256, reversed));
         },
         {Phrase({0x8C, 0x09, 0, 0}), Phrase({0x8C, 0x09, 0, 1}), Phrase({0x8C, 0x09, 0, 2}),
          Phrase({0x8C, 0x09, 0, 3}), Phrase({0x8C, 0x09, 0, 4})}},
    });
}

TEST(CardReadingCommandsTest, EveryCheckFailsWithItsOwnMessage) {
    const auto twoCards = [](SimulatedFeatureReportReader& device) {
        device.reader.Model()->analyzerCards = {{.cardType = 1, .bitCount = 26, .data = {1, 2, 3, 4}},
                                               {.cardType = 2, .bitCount = 26, .data = {5, 6, 7, 8}}};
    };
    TavTest::RunFailureCases({
        {"card data of an unknown size, asked directly",
         nullptr,
         [](auto&) { GetCardDataWithFeatureReportProtocol(GetCardDataSizeParameters{0}).NextCommandPhrase(); },
         {"Unsupported card data read size requested by GetCardData command.", "GetCardDataWithFeatureReportProtocol",
          "NextCommandPhrase"}},
        {"card data before the exchange",
         nullptr,
         [](auto&) { GetCardDataWithFeatureReportProtocol(GetCardDataSizeParameters::Short).GetResult(); },
         {"No response has been received for GetCardData command.", "GetCardDataWithFeatureReportProtocol",
          "GetResult"}},
        {"card data, a short third reply",
         [](auto& device) { device.FaultOnPhrase(2, Fault::ShortReply(5)); },
         [](auto& transport) {
             GetCardDataWithFeatureReportProtocol command(GetCardDataSizeParameters::Long);
             command.Execute(transport);
             command.GetResult();
         },
         {"Invalid response received for GetCardData command.", "GetCardDataWithFeatureReportProtocol", "GetResult"}},
        {"bit count before the exchange",
         nullptr,
         [](auto&) { GetCardBitCountWithFeatureReportProtocol().GetResult(); },
         {"No response has been received. Did you execute the comand?", "GetCardBitCountWithFeatureReportProtocol",
          "GetResult"}},
        {"bit count, no reply",
         [](auto& device) { device.FaultOnCommand({0x8E}, Fault::NoReply()); },
         [](auto& transport) {
             GetCardBitCountWithFeatureReportProtocol command;
             command.Execute(transport);
             command.GetResult();
         },
         {"Empty response has been received for GetCardBitCount command.", "GetCardBitCountWithFeatureReportProtocol",
          "GetResult"}},
        {"queued id, a short last reply",
         [](auto& device) { device.FaultOnPhrase(4, Fault::ShortReply(7)); },
         [](auto& transport) {
             GetQueuedIdWithFeatureReportProtocol command(0);
             command.Execute(transport);
             command.GetResult();
         },
         {"Invalid response received for GetQueuedId command.", "GetQueuedIdWithFeatureReportProtocol", "GetResult"}},
        {"queued id before the exchange",
         nullptr,
         [](auto&) { GetQueuedIdWithFeatureReportProtocol(0).GetResult(); },
         {"No response has been received for GetQueuedId command.", "GetQueuedIdWithFeatureReportProtocol",
          "GetResult"}},
        {"analyzer status before the exchange",
         nullptr,
         [](auto&) { GetCardAnalyzerStatusWithFeatureReportProtocol().GetResult(); },
         {"No response has been received.", "GetCardAnalyzerStatusWithFeatureReportProtocol", "GetResult"}},
        {"analyzer status, a wrong echo",
         [](auto& device) {
             device.FaultOnCommand({0x8C, 0x08}, Fault::CorruptByte(1, 0x09));
         },
         [](auto& transport) {
             GetCardAnalyzerStatusWithFeatureReportProtocol command;
             command.Execute(transport);
             command.GetResult();
         },
         {"Invalid response packet received for GetCardAnalyzerStatus command.",
          "GetCardAnalyzerStatusWithFeatureReportProtocol", "GetResult"}},
        {"analyzer status, a reply too short for the status",
         [](auto& device) {
             device.FaultOnCommand({0x8C, 0x08}, Fault::ShortReply(3));
         },
         [](auto& transport) {
             GetCardAnalyzerStatusWithFeatureReportProtocol command;
             command.Execute(transport);
             command.GetResult();
         },
         {"Invalid response packet received for GetCardAnalyzerStatus command.",
          "GetCardAnalyzerStatusWithFeatureReportProtocol", "GetResult"}},
        {"analyzer control before the exchange",
         nullptr,
         [](auto&) {
             SetCardAnalyzerControlWithFeatureReportProtocol(CardAnalyzerControlParameter{1}).ValidateResponse();
         },
         {"No response has been received", "SetCardAnalyzerControlWithFeatureReportProtocol", "ValidateResponse"}},
        {"analyzer control, a stray byte after the echo",
         [](auto& device) {
             device.FaultOnCommand({0x8C, 0x88}, Fault::CorruptByte(7, 0x01));
         },
         [](auto& transport) {
             SetCardAnalyzerControlWithFeatureReportProtocol command(CardAnalyzerControlParameter{2});
             command.Execute(transport);
             command.ValidateResponse();
         },
         {"Invalid response packet received from reader after SetCardAnalyzerControl command",
          "SetCardAnalyzerControlWithFeatureReportProtocol", "ValidateResponse"}},
        {"analyzer data, an empty header",
         [&](auto& device) {
             twoCards(device);
             device.FaultOnPhrase(0, Fault::NoReply());
         },
         [](auto& transport) { Analyze(transport, 2); },
         {"Empty response phrase has been received from reader", "GetCardAnalyzerDataWithFeatureReportProtocol",
          "ParseCurrentCardTypeAndBits"}},
        {"analyzer data, a header too short for the bit count",
         [&](auto& device) {
             twoCards(device);
             device.FaultOnPhrase(0, Fault::ShortReply(3));
         },
         [](auto& transport) { Analyze(transport, 2); },
         {"Invalid card type and bit count received from reader", "GetCardAnalyzerDataWithFeatureReportProtocol",
          "ParseCurrentCardTypeAndBits"}},
        {"analyzer data, an empty data reply",
         [&](auto& device) {
             twoCards(device);
             device.FaultOnPhrase(3, Fault::NoReply());
         },
         [](auto& transport) { Analyze(transport, 2); },
         {"Empty response phrase has been received from reader", "GetCardAnalyzerDataWithFeatureReportProtocol",
          "ValidateResponse"}},
        {"analyzer data, a data reply too short for its card",
         [&](auto& device) {
             twoCards(device);
             device.FaultOnPhrase(3, Fault::ShortReply(3));
         },
         [](auto& transport) { Analyze(transport, 2); },
         {"Number of response phrases are lesser than expected", "GetCardAnalyzerDataWithFeatureReportProtocol",
          "GetResult"}},
        {"analyzer data, the exchange broken off before the data",
         [&](auto& device) {
             twoCards(device);
             device.FaultOnPhrase(3, Fault::DeviceGone());
         },
         [](auto& transport) {
             GetCardAnalyzerDataWithFeatureReportProtocol command(2, std::vector<CardAnalyzerData>(2));
             EXPECT_THROW(command.Execute(transport), std::runtime_error);
             command.ValidateResponse();
         },
         {"Number of response phrases are lesser than expected", "GetCardAnalyzerDataWithFeatureReportProtocol",
          "ValidateResponse"}},
    });
}

// A header may announce more bits than a record's 32 data bytes hold: refused at the header,
// before a single data phrase, so nothing is ever written past the record.
TEST(CardReadingCommandsTest, AnalyzerHeaderOfMoreThan256BitsIsRefusedBeforeAnyDataPhrase) {
    SimulatedFeatureReportReader device;
    device.reader.Model()->analyzerCards = {{.cardType = 1, .bitCount = 257, .data = Counting(33)}};
    GetCardAnalyzerDataWithFeatureReportProtocol command(1, std::vector<CardAnalyzerData>(1));
    TavTest::ExpectProtocolFailure([&] { command.Execute(device.transport); },
                                   {"Card analyzer reports more card bits than a record can hold",
                                    "GetCardAnalyzerDataWithFeatureReportProtocol", "ParseCurrentCardTypeAndBits"});
    EXPECT_EQ(device.Sent(), (std::vector<std::vector<uint8_t>>{Phrase({0x8C, 0x09, 0, 0})}));
}

// Run twice, the analyzer reads the cards afresh rather than carrying the first run's progress.
TEST(CardReadingCommandsTest, AnalyzerRunTwiceReadsTheSameCards) {
    SimulatedFeatureReportReader device;
    device.reader.Model()->analyzerCards = {{.cardType = 1, .bitCount = 16, .data = {0x12, 0x34}}};
    GetCardAnalyzerDataWithFeatureReportProtocol command(1, std::vector<CardAnalyzerData>(1));
    command.Execute(device.transport);
    command.Execute(device.transport);
    command.ValidateResponse();
    EXPECT_EQ(command.GetResult().at(0), Record(1, 16, {0x34, 0x12}));
    EXPECT_EQ(device.Sent().size(), 4u);
}

}  // namespace
