#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "core/Protocol.h"
#include "facade/ProtocolFacade.h"
#include "featureReport/FeatureReportProtocol.h"
#include "records/CardAnalyzerData.h"
#include "records/CardReadPayload.h"
#include "records/QueuedIdFlagParameters.h"
#include "records/QueuedIdInformation.h"
#include "serialBinary/SerialBinaryProtocol.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/FacadeTestTransport.h"
#include "support/SimulatedFacade.h"
#include "support/Wire.h"
#include "visitors/GetCardAnalyzerDataVisitor.h"
#include "visitors/GetCardBitCountVisitor.h"
#include "visitors/GetCardDataVisitor.h"
#include "visitors/GetCardReadPayloadVisitor.h"
#include "visitors/SetCardAnalyzerControlVisitor.h"

namespace {

using TavProtocol::CardAnalyzerControlParameter;
using TavProtocol::GetCardDataSizeParameters;
using TavProtocol::ProtocolFacade;
using Bytes = std::vector<uint8_t>;
using TavTest::Phrase;
using TavTest::ProbeDefinition;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

struct Operation {
    const char* visitor;
    std::function<ProtocolCommandResult(const ProtocolFacade&)> run;
};

// Every card-reading operation, with arguments its own check would refuse where it has any: a
// protocol that lacks the command refuses before the arguments are looked at.
const std::vector<Operation>& CardOperationsWithBadArguments() {
    static const std::vector<Operation> operations = {
        {"GetCardDataVisitor",
         [](const ProtocolFacade& facade) {
             unsigned char buffer[32];
             return facade.GetCardData(static_cast<GetCardDataSizeParameters>(0), buffer, sizeof buffer);
         }},
        {"GetCardBitCountVisitor",
         [](const ProtocolFacade& facade) {
             unsigned char bitCount = 0;
             return facade.GetCardBitCount(bitCount);
         }},
        {"GetCardReadPayloadVisitor",
         [](const ProtocolFacade& facade) {
             TavProtocol::CardReadPayload payload{};
             return facade.GetCardReadPayload(static_cast<GetCardDataSizeParameters>(3), payload);
         }},
        {"GetQueuedIdVisitor",
         [](const ProtocolFacade& facade) {
             TavProtocol::QueuedIdInformation queued{};
             return facade.GetQueuedId({}, queued);
         }},
        {"GetCardAnalyzerStatusVisitor",
         [](const ProtocolFacade& facade) {
             TavProtocol::CardAnalyzerStatus status = 0;
             return facade.GetCardAnalyzerStatus(status);
         }},
        {"SetCardAnalyzerControlVisitor",
         [](const ProtocolFacade& facade) {
             return facade.SetCardAnalyzerControl(static_cast<CardAnalyzerControlParameter>(3));
         }},
        {"GetCardAnalyzerDataVisitor",
         [](const ProtocolFacade& facade) {
             std::vector<TavProtocol::CardAnalyzerData> records;
             return facade.GetCardAnalyzerData(records, 0);
         }},
    };
    return operations;
}

TEST(CardReadingVisitorTest, AnMfp24ReaderRefusesEveryCardCommandButSupportedCardsBeforeAnyCheck) {
    const TavTest::ScopedProbeTransports transports;
    const TavProtocol::ProtocolHandle handle = ProtocolFacade::CreateInstance(ProbeDefinition(2), 0, nullptr);
    ASSERT_NE(handle, 0U);
    const ProtocolFacade& facade = *ProtocolFacade::GetInstance(handle);
    for (const Operation& operation : CardOperationsWithBadArguments()) {
        SCOPED_TRACE(operation.visitor);
        const ProtocolCommandResult result = operation.run(facade);
        EXPECT_TRUE(result.HasException);
        EXPECT_STREQ(result.Message, "This command is not yet supported with the MFP24 Protocol");
        EXPECT_STREQ(result.ExceptionType, "ElvarinException");
        EXPECT_STREQ(result.File, operation.visitor);
        EXPECT_STREQ(result.Function, "Visit");
    }
    ProtocolFacade::DestroyInstance(handle);
    EXPECT_TRUE(transports.probe().transmitted.empty());
}

struct ArgumentCase {
    const char* visitor;
    const char* message;
    std::function<ProtocolCommandResult(const ProtocolFacade&)> run;
};

TEST(CardReadingVisitorTest, AnMfp24ReaderListsItsSupportedCardsPageByPage) {
    TavSim::SimulatedReader reader;
    // Six codes: more than the five of one page.
    reader.Model()->supportedCardTypes = {0x0001, 0x0002, 0x0107, 0x0302, 0x0401, 0x0A05};
    TavSim::FeatureReportFrontEnd frontEnd(reader, TavSim::Mfp24Commands());
    const TavTest::SimulatedFacade facade(frontEnd, 2);
    ASSERT_TRUE(facade.IsOpen());

    std::vector<unsigned short> cardTypes = {9};
    const ProtocolCommandResult result = facade->GetSupportedCards(cardTypes);
    ASSERT_FALSE(result.HasException) << result.Message;
    EXPECT_THAT(cardTypes, ElementsAre(0x0001, 0x0002, 0x0107, 0x0302, 0x0401, 0x0A05));
    const std::vector<Bytes> phrases = frontEnd.ReceivedBytes();
    ASSERT_EQ(phrases.size(), 2U);
    EXPECT_EQ(std::string(phrases[1].begin(), phrases[1].begin() + 5), "QCT01");
}

TEST(CardReadingVisitorTest, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    const std::vector<ArgumentCase> cases = {
        {"GetCardDataVisitor", "Size parameter must be between 0x01 and 0x02",
         [](const ProtocolFacade& facade) {
             unsigned char buffer[32];
             return facade.GetCardData(static_cast<GetCardDataSizeParameters>(0), buffer, sizeof buffer);
         }},
        {"GetCardReadPayloadVisitor", "Size parameter must be between 0x01 and 0x02",
         [](const ProtocolFacade& facade) {
             TavProtocol::CardReadPayload payload{};
             return facade.GetCardReadPayload(static_cast<GetCardDataSizeParameters>(3), payload);
         }},
        {"GetCardReadPayloadVisitor", "Size parameter must be between 0x01 and 0x02",
         [](const ProtocolFacade& facade) {
             TavProtocol::CardReadPayload payload{};
             return facade.GetCardReadPayload(static_cast<GetCardDataSizeParameters>(0xFF), payload);
         }},
        {"SetCardAnalyzerControlVisitor", "Control command value is out of range",
         [](const ProtocolFacade& facade) {
             return facade.SetCardAnalyzerControl(static_cast<CardAnalyzerControlParameter>(3));
         }},
        {"GetCardAnalyzerDataVisitor", "Invalid card count specified",
         [](const ProtocolFacade& facade) {
             std::vector<TavProtocol::CardAnalyzerData> records(2);
             return facade.GetCardAnalyzerData(records, 0);
         }},
    };
    for (const uint8_t protocolType : {1, 3}) {
        const TavTest::ScopedProbeTransports transports;
        const TavProtocol::ProtocolHandle handle = ProtocolFacade::CreateInstance(ProbeDefinition(protocolType), 0, nullptr);
        ASSERT_NE(handle, 0U);
        for (const ArgumentCase& check : cases) {
            SCOPED_TRACE(std::string(check.visitor) + " on protocol " + std::to_string(protocolType));
            const ProtocolCommandResult result = check.run(*ProtocolFacade::GetInstance(handle));
            EXPECT_TRUE(result.HasException);
            EXPECT_STREQ(result.Message, check.message);
            EXPECT_STREQ(result.File, check.visitor);
            EXPECT_STREQ(result.Function, "ValidateArguments");
        }
        ProtocolFacade::DestroyInstance(handle);
        EXPECT_TRUE(transports.probe().transmitted.empty());
    }
}

// Each argument check at both ends of its range: the first value refused on either side is
// refused with the check's own message before anything is sent, the last one accepted goes on to
// the reader.
TEST(CardReadingVisitorTest, ArgumentChecksHoldAtBothEndsOfTheirRange) {
    using Visitor = std::unique_ptr<TavProtocol::CommandVisitor>;
    const auto size = [](int value) { return static_cast<GetCardDataSizeParameters>(value); };
    struct RangeCase {
        const char* visitor;
        const char* message;
        std::function<Visitor(int)> make;
        std::vector<int> refused;
        std::vector<int> accepted;
    };
    const std::vector<RangeCase> cases = {
        {"GetCardDataVisitor",
         "Size parameter must be between 0x01 and 0x02",
         [&](int value) { return std::make_unique<TavProtocol::GetCardDataVisitor>(size(value)); },
         {0, 3},
         {1, 2}},
        {"GetCardBitCountVisitor",
         "Size parameter must be between 0x01 and 0x02",
         [&](int value) { return std::make_unique<TavProtocol::GetCardBitCountVisitor>(size(value)); },
         {0, 3},
         {1, 2}},
        {"GetCardReadPayloadVisitor",
         "Size parameter must be between 0x01 and 0x02",
         [&](int value) { return std::make_unique<TavProtocol::GetCardReadPayloadVisitor>(size(value)); },
         {0, 3},
         {1, 2}},
        {"SetCardAnalyzerControlVisitor",
         "Control command value is out of range",
         [](int value) {
             return std::make_unique<TavProtocol::SetCardAnalyzerControlVisitor>(
                 static_cast<CardAnalyzerControlParameter>(value));
         },
         {3},
         {0, 2}},
        {"GetCardAnalyzerDataVisitor",
         "Invalid card count specified",
         [](int value) { return std::make_unique<TavProtocol::GetCardAnalyzerDataVisitor>(value); },
         {-1, 0},
         {1}},
    };
    TavProtocol::FeatureReportProtocol featureReport;
    TavProtocol::SerialBinaryProtocol serialBinary;
    for (TavProtocol::Protocol* protocol :
         std::initializer_list<TavProtocol::Protocol*>{&featureReport, &serialBinary}) {
        const uint8_t protocolType = protocol == &featureReport ? 1 : 3;
        for (const RangeCase& check : cases) {
            for (const bool refused : {true, false}) {
                for (const int value : refused ? check.refused : check.accepted) {
                    SCOPED_TRACE(std::string(check.visitor) + "(" + std::to_string(value) + ") on protocol " +
                                 std::to_string(protocolType));
                    const auto probe = std::make_shared<TavTest::TransportProbe>();
                    TavTest::ProbeTransport transport(ProbeDefinition(protocolType), probe);
                    const Visitor visitor = check.make(value);
                    std::string function;
                    std::string message;
                    try {
                        protocol->Accept(*visitor, transport);
                    } catch (const ElvarinException& error) {
                        function = error.Function();
                        message = error.Message();
                    }
                    if (refused) {
                        EXPECT_EQ(message, check.message);
                        EXPECT_EQ(function, "ValidateArguments");
                        EXPECT_TRUE(probe->transmitted.empty());
                    } else {
                        // The probe's replies may fail a later check, never the argument check.
                        EXPECT_NE(function, "ValidateArguments") << message;
                        EXPECT_FALSE(probe->transmitted.empty());
                    }
                }
            }
        }
    }
}

TEST(CardReadingVisitorTest, ANullCardBufferIsAnInvalidArgument) {
    const TavTest::ScopedProbeTransports transports;
    const TavProtocol::ProtocolHandle handle = ProtocolFacade::CreateInstance(ProbeDefinition(1), 0, nullptr);
    ASSERT_NE(handle, 0U);
    const ProtocolCommandResult result =
        ProtocolFacade::GetInstance(handle)->GetCardData(GetCardDataSizeParameters::Long, nullptr, 32);
    ProtocolFacade::DestroyInstance(handle);
    EXPECT_TRUE(result.HasException);
    EXPECT_STREQ(result.ExceptionType, "InvalidArgument");
    EXPECT_STREQ(result.Message, "buffer pointer cannot be null");
    EXPECT_STREQ(result.File, "ProtocolFacade");
    EXPECT_STREQ(result.Function, "GetCardData");
    EXPECT_TRUE(transports.probe().transmitted.empty());
}

Bytes CardBytes(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(0x11 + i);
    }
    return bytes;
}

Bytes Padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

class FeatureReportCardReadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A 200-bit card: 25 bytes, more than one phrase holds and less than four.
        reader_.Model()->presentedCards.push_back({0x0107, 200, CardBytes(25)});
        ASSERT_TRUE(facade_.IsOpen());
    }

    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_};
    TavTest::SimulatedFacade facade_{frontEnd_, 1};
};

TEST_F(FeatureReportCardReadingTest, ACardReadIsTheBitCountThenTheCardBytes) {
    struct ReadCase {
        GetCardDataSizeParameters size;
        std::vector<Bytes> phrases;
        std::size_t cardBytes;
    };
    const ReadCase cases[] = {
        {GetCardDataSizeParameters::Short, {Phrase({0x8E}), Phrase({0x8F})}, 8},
        {GetCardDataSizeParameters::Long,
         {Phrase({0x8E}), Phrase({0x8D, 0}), Phrase({0x8D, 1}), Phrase({0x8D, 2}), Phrase({0x8D, 3})},
         25},
    };
    for (const ReadCase& read : cases) {
        SCOPED_TRACE(static_cast<int>(read.size));
        frontEnd_.ClearReceived();
        TavProtocol::CardReadPayload payload;
        std::memset(&payload, 0x77, sizeof payload);
        ASSERT_FALSE(facade_->GetCardReadPayload(read.size, payload).HasException);
        EXPECT_EQ(frontEnd_.ReceivedBytes(), read.phrases);
        EXPECT_EQ(payload.BitCount, 200);
        EXPECT_EQ(Bytes(payload.CardData, payload.CardData + 32), Padded(CardBytes(read.cardBytes), 32));
    }
}

TEST_F(FeatureReportCardReadingTest, TheHalvesOfACardReadEachSendOnlyTheirOwnPhrases) {
    unsigned char bitCount = 0;
    ASSERT_FALSE(facade_->GetCardBitCount(bitCount).HasException);
    EXPECT_EQ(bitCount, 200);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase({0x8E})));

    frontEnd_.ClearReceived();
    unsigned char buffer[32];
    ASSERT_FALSE(facade_->GetCardData(GetCardDataSizeParameters::Short, buffer, sizeof buffer).HasException);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase({0x8F})));
    EXPECT_EQ(Bytes(buffer, buffer + 32), Padded(CardBytes(8), 32));
}

TEST_F(FeatureReportCardReadingTest, CardBytesNeedABufferOfThirtyTwoBytes) {
    Bytes buffer(32, 0xEE);
    ASSERT_FALSE(facade_->GetCardData(GetCardDataSizeParameters::Long, buffer.data(), buffer.size()).HasException);
    EXPECT_EQ(buffer, Padded(CardBytes(25), 32));

    frontEnd_.ClearReceived();
    Bytes small(31, 0xEE);
    const ProtocolCommandResult result =
        facade_->GetCardData(GetCardDataSizeParameters::Long, small.data(), small.size());
    EXPECT_TRUE(result.HasException);
    EXPECT_STREQ(result.Message,
                 "Input buffer is too small to hold the result. This command requires at least 32 bytes.");
    EXPECT_STREQ(result.File, "ProtocolFacade");
    EXPECT_EQ(result.Line, 1141);
    EXPECT_STREQ(result.Function, "operator()");
    EXPECT_EQ(small, Bytes(31, 0xEE));
    EXPECT_TRUE(frontEnd_.ReceivedBytes().empty()) << "a buffer that cannot take the card must not spend its read";
    unsigned char bitCount = 0;
    ASSERT_FALSE(facade_->GetCardBitCount(bitCount).HasException);
    EXPECT_EQ(bitCount, 200) << "the card is still there to read";
}

TEST_F(FeatureReportCardReadingTest, QueuedIdCarriesTheFlagsInItsLastPhrase) {
    {
        auto model = reader_.Model();
        const Bytes id = CardBytes(32);
        std::copy(id.begin(), id.end(), model->queuedId.begin());
        model->queuedIdValue = {0xDE, 0xAD, 0xBE, 0xEF};
        model->queuedIdLastByte = 0x42;
    }
    TavProtocol::QueuedIdInformation queued{};
    ASSERT_FALSE(facade_->GetQueuedId({0x5A}, queued).HasException);
    EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(Phrase({0x8C, 2, 0}), Phrase({0x8C, 2, 1}), Phrase({0x8C, 2, 2}),
                                                       Phrase({0x8C, 2, 3}), Phrase({0x8C, 2, 4, 0x5A})));
    EXPECT_EQ(Bytes(queued.Data, queued.Data + 32), CardBytes(32));
    EXPECT_EQ(queued.LastByte, 0x42);
}

TEST_F(FeatureReportCardReadingTest, CardAnalyzerStatusControlAndData) {
    {
        auto model = reader_.Model();
        model->cardAnalyzerStatus = 0x1234;
        model->analyzerCards = {{0x0107, 26, CardBytes(4)}, {0x0001, 16, CardBytes(2)}};
    }
    TavProtocol::CardAnalyzerStatus status = 0;
    ASSERT_FALSE(facade_->GetCardAnalyzerStatus(status).HasException);
    EXPECT_EQ(status, 0x1234);

    ASSERT_FALSE(facade_->SetCardAnalyzerControl(static_cast<CardAnalyzerControlParameter>(2)).HasException);
    EXPECT_EQ(reader_.Model()->cardAnalyzerControl, 2);

    frontEnd_.ClearReceived();
    std::vector<TavProtocol::CardAnalyzerData> records(5);
    ASSERT_FALSE(facade_->GetCardAnalyzerData(records, 1).HasException);
    ASSERT_EQ(records.size(), 1U) << "the records replace the caller's";
    EXPECT_EQ(records[0].CardType, 0x0107);
    EXPECT_EQ(records[0].BitCount, 26);
    for (const Bytes& phrase : frontEnd_.ReceivedBytes()) {
        EXPECT_EQ(phrase[2], 0) << "only card 0 is asked for";
    }
}

TEST_F(FeatureReportCardReadingTest, SupportedCardsReplaceTheCallersList) {
    reader_.Model()->supportedCardTypes = {0x0001, 0x0107, 0x0302};
    std::vector<unsigned short> cardTypes = {9, 9, 9, 9, 9};
    ASSERT_FALSE(facade_->GetSupportedCards(cardTypes).HasException);
    EXPECT_THAT(cardTypes, ElementsAre(0x0001, 0x0107, 0x0302));
}

TEST_F(FeatureReportCardReadingTest, AFailedReadLeavesTheCallersValuesAlone) {
    reader_.Disconnect();
    TavProtocol::CardReadPayload payload;
    std::memset(&payload, 0x77, sizeof payload);
    std::vector<unsigned short> cardTypes = {9};
    EXPECT_TRUE(facade_->GetCardReadPayload(GetCardDataSizeParameters::Long, payload).HasException);
    EXPECT_TRUE(facade_->GetSupportedCards(cardTypes).HasException);
    EXPECT_EQ(payload.BitCount, 0x77);
    EXPECT_THAT(cardTypes, ElementsAre(9));
}

class SerialBinaryCardReadingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(facade_.IsOpen()); }
    void PresentCard() { reader_.Model()->presentedCards.push_back({0x0107, 200, CardBytes(25)}); }

    TavSim::SimulatedReader reader_;
    TavSim::SerialBinaryFrontEnd frontEnd_{reader_};
    TavTest::SimulatedFacade facade_{frontEnd_, 3};
};

TEST_F(SerialBinaryCardReadingTest, ACardReadTakesBitCountAndBytesFromOneReply) {
    PresentCard();
    struct ReadCase {
        GetCardDataSizeParameters size;
        Bytes request;
        std::size_t cardBytes;
    };
    const ReadCase cases[] = {
        {GetCardDataSizeParameters::Short, {0xFA, 0x00, 0x00, 0x00, 0x0C}, 8},
        {GetCardDataSizeParameters::Long, {0xFA, 0x00, 0x00, 0x00, 0x24}, 25},
    };
    for (const ReadCase& read : cases) {
        SCOPED_TRACE(static_cast<int>(read.size));
        frontEnd_.ClearReceived();
        TavProtocol::CardReadPayload payload;
        std::memset(&payload, 0x77, sizeof payload);
        const ProtocolCommandResult result = facade_->GetCardReadPayload(read.size, payload);
        ASSERT_FALSE(result.HasException) << result.Message;
        EXPECT_THAT(frontEnd_.ReceivedBytes(), ElementsAre(read.request));
        EXPECT_EQ(payload.BitCount, 200);
        EXPECT_EQ(Bytes(payload.CardData, payload.CardData + 32), Padded(CardBytes(read.cardBytes), 32));
    }
}

TEST_F(SerialBinaryCardReadingTest, EachHalfRunsTheWholeReadAndKeepsItsOwnPart) {
    PresentCard();
    unsigned char bitCount = 0;
    ASSERT_FALSE(facade_->GetCardBitCount(bitCount).HasException);
    EXPECT_EQ(bitCount, 200);
    Bytes buffer(32, 0xEE);
    ASSERT_FALSE(facade_->GetCardData(GetCardDataSizeParameters::Long, buffer.data(), buffer.size()).HasException);
    EXPECT_EQ(buffer, Padded(CardBytes(25), 32));
    EXPECT_THAT(frontEnd_.ReceivedBytes(),
                ElementsAre(Bytes{0xFA, 0x00, 0x00, 0x00, 0x0C}, Bytes{0xFA, 0x00, 0x00, 0x00, 0x24}));
}

// The reader answers "no card" with the status word 6A 82, padded to the read's length or alone;
// either is an empty read, not a failure.
TEST_F(SerialBinaryCardReadingTest, NoCardIsAnEmptyReadNotAFailure) {
    for (const bool bare : {false, true}) {
        SCOPED_TRACE(bare ? "6A 82 alone" : "6A 82 at the end of a full-length reply");
        reader_.Model()->noCardAsBareStatusWord = bare;
        TavProtocol::CardReadPayload payload;
        std::memset(&payload, 0x77, sizeof payload);
        const ProtocolCommandResult result = facade_->GetCardReadPayload(GetCardDataSizeParameters::Long, payload);
        ASSERT_FALSE(result.HasException) << result.Message;
        EXPECT_EQ(payload.BitCount, 0);
        EXPECT_EQ(Bytes(payload.CardData, payload.CardData + 32), Bytes(32, 0));

        unsigned char bitCount = 0x77;
        EXPECT_FALSE(facade_->GetCardBitCount(bitCount).HasException);
        EXPECT_EQ(bitCount, 0);
        Bytes buffer(32, 0xEE);
        EXPECT_FALSE(facade_->GetCardData(GetCardDataSizeParameters::Short, buffer.data(), buffer.size()).HasException);
        EXPECT_EQ(buffer, Bytes(32, 0));
    }
}

TEST_F(SerialBinaryCardReadingTest, QueuedIdAnalyzerAndSupportedCards) {
    PresentCard();
    {
        auto model = reader_.Model();
        model->cardAnalyzerStatus = 0x0102;
        model->supportedCardTypes = {0x0001, 0x0107};
    }
    TavProtocol::QueuedIdInformation queued{};
    ProtocolCommandResult result = facade_->GetQueuedId({0x03}, queued);
    ASSERT_FALSE(result.HasException) << result.Message;
    EXPECT_EQ(Bytes(queued.Data, queued.Data + 25), CardBytes(25));
    EXPECT_EQ(frontEnd_.ReceivedBytes().back(), (Bytes{0xFA, 0x0C, 0x02, 0x04, 0x03}));

    TavProtocol::CardAnalyzerStatus status = 0;
    result = facade_->GetCardAnalyzerStatus(status);
    ASSERT_FALSE(result.HasException) << result.Message;
    EXPECT_EQ(status, 0x0102);

    result = facade_->SetCardAnalyzerControl(static_cast<CardAnalyzerControlParameter>(2));
    ASSERT_FALSE(result.HasException) << result.Message;
    EXPECT_EQ(frontEnd_.ReceivedBytes().back(), (Bytes{0xFA, 0x0C, 0x88, 0x02, 0x00}));

    std::vector<TavProtocol::CardAnalyzerData> records(3);
    result = facade_->GetCardAnalyzerData(records, 1);
    ASSERT_FALSE(result.HasException) << result.Message;
    ASSERT_EQ(records.size(), 1U);
    EXPECT_EQ(records[0].CardType, 0x0107);
    EXPECT_EQ(records[0].BitCount, 200);

    std::vector<unsigned short> cardTypes = {9, 9};
    result = facade_->GetSupportedCards(cardTypes);
    ASSERT_FALSE(result.HasException) << result.Message;
    EXPECT_THAT(cardTypes, ElementsAre(0x0001, 0x0107));
}

}  // namespace
