// Card reads and the card analyzer against the simulated reader on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "serialBinary/GetCardAnalyzerDataWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardAnalyzerStatusWithSerialBinaryProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"
#include "serialBinary/GetQueuedIdWithSerialBinaryProtocol.h"
#include "serialBinary/SetCardAnalyzerControlWithSerialBinaryProtocol.h"
#include "support/ScriptedTransport.h"
#include "support/SerialLineFixture.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavSim::PresentedCard;
using TavTest::CatchProtocolFailure;
using TavTest::ProtocolFailure;
using Bytes = std::vector<uint8_t>;
using Frames = std::vector<Bytes>;

Bytes Sequence(std::size_t count, uint8_t first) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(first + i);
    }
    return bytes;
}

Bytes Padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0x00);
    return bytes;
}

Bytes operator+(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class SerialBinaryCardsTest : public TavTest::SerialLineFixture {
protected:
    void Present(PresentedCard card) { reader_.Model()->presentedCards.push_back(std::move(card)); }
};

TEST_F(SerialBinaryCardsTest, CardDataAndBitCountComeFromOneReply) {
    struct Case {
        GetCardDataSizeParameters size;
        PresentedCard card;
        uint8_t p3;
        Bytes expected;
    };
    const Case cases[] = {
        {GetCardDataSizeParameters::Short,
         {0x0001, 26, {0x11, 0x22, 0x33, 0x44}},
         0x0C,
         Padded({0x11, 0x22, 0x33, 0x44}, 32)},
        {GetCardDataSizeParameters::Short, {0x0001, 80, Sequence(10, 1)}, 0x0C, Padded(Sequence(8, 1), 32)},
        {GetCardDataSizeParameters::Long, {0x0002, 255, Sequence(32, 0xA0)}, 0x24, Sequence(32, 0xA0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.card.bitCount);
        reader_.Model()->presentedCards = {c.card};
        frontEnd_.ClearReceived();
        GetCardDataWithSerialBinaryProtocol command(c.size);
        command.Execute(transport_);
        command.ValidateResponse();
        EXPECT_EQ(command.GetResult(), c.expected);
        EXPECT_EQ(command.GetBitCount(), static_cast<uint8_t>(c.card.bitCount));
        EXPECT_EQ(Wire(), (Frames{{0xFA, 0x00, 0x00, 0x00, c.p3}}));
    }
}

TEST_F(SerialBinaryCardsTest, NoCardYieldsAnEmptyReadNeverTheReplysBytes) {
    Present({0x0001, 26, {0x11, 0x22, 0x33, 0x44}});
    // The reader reports no card but leaves earlier data in the reply.
    Inject({0xFA, 0x00}, Fault::WrongStatusWord(0x6A82));
    for (const auto size : {GetCardDataSizeParameters::Short, GetCardDataSizeParameters::Long}) {
        GetCardDataWithSerialBinaryProtocol command(size);
        command.Execute(transport_);
        EXPECT_NO_THROW(command.ValidateResponse());
        EXPECT_EQ(command.GetResult(), Bytes(32, 0x00));
        EXPECT_EQ(command.GetBitCount(), 0);
    }
}

TEST_F(SerialBinaryCardsTest, CardDataFailures) {
    Present({0x0001, 26, {0x11, 0x22, 0x33, 0x44}});
    const auto read = [this](GetCardDataSizeParameters size) {
        return CatchProtocolFailure([&] {
            GetCardDataWithSerialBinaryProtocol command(size);
            command.Execute(transport_);
            command.ValidateResponse();
        });
    };
    constexpr const char* kFile = "GetCardDataWithSerialBinaryProtocol";
    Inject({0xFA, 0x00}, Fault::WrongStatusWord(0x6A83));
    EXPECT_EQ(read(GetCardDataSizeParameters::Short),
              (ProtocolFailure{"Response phrase at index 13 is not a valid response. Expected 0x90, got 0x6a", kFile,
                               "ValidateResponse"}));
    EXPECT_EQ(read(GetCardDataSizeParameters::Long),
              (ProtocolFailure{"Response phrase at index 37 is not a valid response. Expected 0x90, got 0x6a", kFile,
                               "ValidateResponse"}));
    Inject({0xFA, 0x00}, Fault::ShortReply(15));
    EXPECT_EQ(read(GetCardDataSizeParameters::Long),
              (ProtocolFailure{"Response phrase at index 0 is not 39 bytes long. Expected 39 bytes, got 15 bytes",
                               kFile, "ValidateResponse"}));
    Inject({0xFA, 0x00}, Fault::TrailingBytes(1));
    EXPECT_EQ(read(GetCardDataSizeParameters::Short),
              (ProtocolFailure{"Response phrase at index 0 is not 15 bytes long. Expected 15 bytes, got 16 bytes",
                               kFile, "ValidateResponse"}));

    frontEnd_.ClearReceived();
    EXPECT_EQ(read(GetCardDataSizeParameters{3}),
              (ProtocolFailure{"Unsupported card data read size requested by GetCardData command.", kFile,
                               "NextCommandPhrase"}));
    EXPECT_TRUE(Wire().empty());

    GetCardDataWithSerialBinaryProtocol unrun(GetCardDataSizeParameters::Short);
    EXPECT_EQ(CatchProtocolFailure([&] { unrun.GetBitCount(); }),
              (ProtocolFailure{"No response has been received. Did you execute the command?", kFile, "GetBitCount"}));
}

// Replies no simulated reader gives, one at each length the decoder tells apart. The data are
// decoded even from a reply the check refuses, as a caller that skips the check would see them.
TEST(SerialBinaryCardDataReplyTest, EachReplyLengthIsCheckedAndDecodedAsItsOwn) {
    struct Case {
        const char* name;
        GetCardDataSizeParameters size;
        Bytes reply;
        const char* failure;  // of the check, none when it passes
        Bytes data;           // the leading bytes of the 32 decoded, the rest zero
        const char* bitCountFailure;
        uint8_t bitCount;
    };
    constexpr auto kShort = GetCardDataSizeParameters::Short;
    constexpr auto kLong = GetCardDataSizeParameters::Long;
    const Case cases[] = {
        {"status word alone: no card", kShort, {0x6A, 0x82}, nullptr, {}, nullptr, 0},
        {"status word alone: no card, long read", kLong, {0x6A, 0x82}, nullptr, {}, nullptr, 0},
        {"another status word alone",
         kShort,
         {0x90, 0x00},
         "Response phrase at index 0 is not 15 bytes long. Expected 15 bytes, got 2 bytes",
         {},
         "Response phrase at index 0 holds no bit count",
         0},
        {"no card padded to the long read", kLong, Padded({}, 37) + Bytes{0x6A, 0x82}, nullptr, {}, nullptr, 0},
        {"no card padded to the short read, read long", kLong, Padded({0x0C, 0x00, 0x1A}, 13) + Bytes{0x6A, 0x82},
         "Response phrase at index 0 is not 39 bytes long. Expected 39 bytes, got 15 bytes", Padded({}, 8), nullptr,
         0x1A},
        {"seven bytes: no room for data",
         kShort,
         {0x0C, 0x00, 0x1A, 0x00, 0x00, 0x90, 0x00},
         "Response phrase at index 0 is not 15 bytes long. Expected 15 bytes, got 7 bytes",
         {},
         nullptr,
         0x1A},
        {"eight bytes: one data byte",
         kShort,
         {0x0C, 0x00, 0x1A, 0x00, 0x00, 0xAB, 0x90, 0x00},
         "Response phrase at index 0 is not 15 bytes long. Expected 15 bytes, got 8 bytes",
         {0xAB},
         nullptr,
         0x1A},
        {"short read", kShort, Sequence(13, 1) + Bytes{0x90, 0x00}, nullptr, Sequence(8, 6), nullptr, 3},
        {"short read refused by its status word", kShort, Sequence(13, 1) + Bytes{0x6A, 0x83},
         "Response phrase at index 13 is not a valid response. Expected 0x90, got 0x6a", Sequence(8, 6), nullptr, 3},
        {"long read", kLong, Sequence(37, 1) + Bytes{0x90, 0x00}, nullptr, Sequence(32, 6), nullptr, 3},
        {"a byte more than the long read: still 32", kLong, Sequence(38, 1) + Bytes{0x90, 0x00},
         "Response phrase at index 0 is not 39 bytes long. Expected 39 bytes, got 40 bytes", Sequence(32, 6), nullptr,
         3},
    };
    constexpr const char* kFile = "GetCardDataWithSerialBinaryProtocol";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TavTest::ScriptedTransport transport;
        transport.QueueReply(c.reply);
        GetCardDataWithSerialBinaryProtocol command(c.size);
        command.Execute(transport);
        const ProtocolFailure expected =
            c.failure != nullptr ? ProtocolFailure{c.failure, kFile, "ValidateResponse"} : ProtocolFailure{};
        EXPECT_EQ(CatchProtocolFailure([&] { command.ValidateResponse(); }), expected);
        EXPECT_EQ(command.GetResult(), Padded(c.data, 32));
        if (c.bitCountFailure != nullptr) {
            EXPECT_EQ(CatchProtocolFailure([&] { command.GetBitCount(); }),
                      (ProtocolFailure{c.bitCountFailure, kFile, "GetBitCount"}));
        } else {
            EXPECT_EQ(command.GetBitCount(), c.bitCount);
        }
    }
}

TEST_F(SerialBinaryCardsTest, QueuedIdIsReadInFiveParts) {
    Present({0x0102, 0x0304, Sequence(32, 0x40)});
    GetQueuedIdWithSerialBinaryProtocol command(0x5A);
    command.Execute(transport_);
    command.ValidateResponse();
    const QueuedIdInformation id = command.GetResult();
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x0C, 0x02, 0, 0},
                              {0xFA, 0x0C, 0x02, 1, 0},
                              {0xFA, 0x0C, 0x02, 2, 0},
                              {0xFA, 0x0C, 0x02, 3, 0},
                              {0xFA, 0x0C, 0x02, 4, 0x5A}}));
    EXPECT_EQ(Bytes(id.Data, id.Data + 32), Sequence(32, 0x40));
    const uint8_t value[] = {0x02, 0x01, 0x04, 0x03};  // as received
    EXPECT_EQ(std::memcmp(reinterpret_cast<const uint8_t*>(&id) + 32, value, 4), 0);
    EXPECT_EQ(id.LastByte, 0x5A);
}

TEST_F(SerialBinaryCardsTest, QueuedIdFailures) {
    const auto read = [this] {
        return CatchProtocolFailure([&] {
            GetQueuedIdWithSerialBinaryProtocol command(0);
            command.Execute(transport_);
            command.ValidateResponse();
        });
    };
    constexpr const char* kFile = "GetQueuedIdWithSerialBinaryProtocol";
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(3), Fault::ShortReply(10), 1);
    EXPECT_EQ(read(),
              (ProtocolFailure{"Response phrase at index 3 is 10 bytes but should be 11", kFile, "ValidateResponse"}));
    frontEnd_.ClearReceived();
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(3), Fault::ShortReply(0), 1);
    EXPECT_EQ(read(), (ProtocolFailure{"Response phrase at index 3 is empty", kFile, "ValidateResponse"}));
    Inject({0xFA, 0x0C, 0x02}, Fault::WrongStatusWord(0x6A82));
    EXPECT_EQ(read(), (ProtocolFailure{"Invalid ACK data received from reader after GetQueuedID command", kFile,
                                       "ValidateResponse"}));
}

TEST_F(SerialBinaryCardsTest, CardAnalyzerStatusAndControl) {
    reader_.Model()->cardAnalyzerStatus = 0x1234;
    GetCardAnalyzerStatusWithSerialBinaryProtocol status;
    status.Execute(transport_);
    status.ValidateResponse();
    EXPECT_EQ(status.GetResult(), 0x1234);

    SetCardAnalyzerControlWithSerialBinaryProtocol control(CardAnalyzerControlParameter{2});
    control.Execute(transport_);
    control.ValidateResponse();
    EXPECT_EQ(reader_.Model()->cardAnalyzerControl, 2);
    EXPECT_EQ(Wire(), (Frames{{0xFA, 0x0C, 0x08, 0, 0}, {0xFA, 0x0C, 0x88, 2, 0}}));

    for (const Fault& fault : {Fault::ShortReply(4), Fault::TrailingBytes(1)}) {
        Inject({0xFA, 0x0C, 0x08}, fault);
        EXPECT_EQ(CatchProtocolFailure([&] {
                      status.Execute(transport_);
                      status.ValidateResponse();
                  }),
                  (ProtocolFailure{"Invalid response packet received for GetCardAnalyzerStatus command.",
                                   "GetCardAnalyzerStatusWithSerialBinaryProtocol", "ValidateResponse"}));
    }
    Inject({0xFA, 0x0C, 0x88}, Fault::WrongStatusWord(0x6B00));
    EXPECT_EQ(CatchProtocolFailure([&] {
                  control.Execute(transport_);
                  control.ValidateResponse();
              }),
              (ProtocolFailure{"Invalid ACK data has been received from reader after SetCardAnalyzerControl command",
                               "SetCardAnalyzerControlWithSerialBinaryProtocol", "ValidateResponse"}));
}

TEST_F(SerialBinaryCardsTest, CardAnalyzerReadsEachCardsHeaderThenItsData) {
    Present({0x0102, 26, {0x11, 0x22, 0x33, 0x44}});
    Present({0x0005, 0, {}});
    Present({0x0007, 255, Sequence(32, 0x80)});
    GetCardAnalyzerDataWithSerialBinaryProtocol command(3);
    // A second run starts from scratch.
    for (int run = 0; run < 2; ++run) {
        frontEnd_.ClearReceived();
        command.Execute(transport_);
        command.ValidateResponse();
        const auto cards = command.GetResult();
        EXPECT_EQ(Wire(), (Frames{{0xFA, 0x0C, 0x09, 0, 0},
                                  {0xFA, 0x0C, 0x09, 0, 1},
                                  {0xFA, 0x0C, 0x09, 1, 0},
                                  {0xFA, 0x0C, 0x09, 2, 0},
                                  {0xFA, 0x0C, 0x09, 2, 1},
                                  {0xFA, 0x0C, 0x09, 2, 2},
                                  {0xFA, 0x0C, 0x09, 2, 3},
                                  {0xFA, 0x0C, 0x09, 2, 4}}));
        ASSERT_EQ(cards.size(), 3u);
        EXPECT_EQ(cards[0].CardType, 0x0102);
        EXPECT_EQ(cards[0].BitCount, 26);
        std::array<uint8_t, 32> first{};
        std::copy_n(Bytes{0x44, 0x33, 0x22, 0x11}.begin(), 4, first.begin() + 28);
        EXPECT_EQ(cards[0].Data, first);
        EXPECT_EQ(cards[1], (CardAnalyzerData{0x0005, 0, {}}));
        Bytes reversed = Sequence(32, 0x80);
        std::reverse(reversed.begin(), reversed.end());
        EXPECT_EQ(Bytes(cards[2].Data.begin(), cards[2].Data.end()), reversed);
    }
}

TEST_F(SerialBinaryCardsTest, CardAnalyzerFailures) {
    Present({0x0102, 26, {0x11, 0x22, 0x33, 0x44}});
    constexpr const char* kFile = "GetCardAnalyzerDataWithSerialBinaryProtocol";
    const auto read = [this](int32_t cards) {
        return CatchProtocolFailure([&] {
            GetCardAnalyzerDataWithSerialBinaryProtocol command(cards);
            command.Execute(transport_);
            command.ValidateResponse();
            command.GetResult();
        });
    };
    const auto atPhrase = [this](std::size_t phrase, Fault fault) {
        frontEnd_.ClearFaults();
        frontEnd_.ClearReceived();
        frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(phrase), fault, 1);
    };
    atPhrase(0, Fault::CorruptByte(0, 0x6D));
    EXPECT_EQ(read(1),
              (ProtocolFailure{"Feature not supported for this reader.", kFile, "validateCardTypeAndBitsResponse"}));
    EXPECT_EQ(Wire().size(), 1u);  // the exchange ends at the faulty header
    atPhrase(0, Fault::ShortReply(0));
    EXPECT_EQ(read(1), (ProtocolFailure{"Empty response phrase has been received from reader.", kFile,
                                        "validateCardTypeAndBitsResponse"}));
    atPhrase(1, Fault::ShortReply(0));
    EXPECT_EQ(read(1),
              (ProtocolFailure{"Empty card data response has been received from reader.", kFile, "ValidateResponse"}));
    atPhrase(0, Fault::ShortReply(10));
    EXPECT_EQ(read(1), (ProtocolFailure{"Invalid ACK data received from reader for GetCardAnalyzerData command.", kFile,
                                        "validateCardTypeAndBitsResponse"}));
    atPhrase(1, Fault::WrongStatusWord(0x6A82));
    EXPECT_EQ(read(1), (ProtocolFailure{"Invalid ACK data received from reader after GetCardAnalyzerData command.",
                                        kFile, "ValidateResponse"}));
    frontEnd_.ClearFaults();
    reader_.Model()->presentedCards = {{0x0005, 0, {}}};
    EXPECT_EQ(read(1),
              (ProtocolFailure{"Result parsing of CardAnalyzerData failed because the command did not receive a "
                               "response from the reader.",
                               kFile, "ValidateResponse"}));
}

}  // namespace
