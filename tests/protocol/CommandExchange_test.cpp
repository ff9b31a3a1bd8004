// The phrase exchange every command runs: what goes to the transport, in which order, and what
// is kept of the replies.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/Command.h"
#include "featureReport/FeatureReportCommand.h"
#include "mfp24/Mfp24Command.h"
#include "serialBinary/SerialBinaryCommand.h"
#include "support/ScriptedTransport.h"
#include "transport/TransportException.h"

namespace {

using Bytes = std::vector<uint8_t>;
using TavTest::ScriptedTransport;
using testing::ElementsAre;
using testing::ElementsAreArray;
using Operation = ScriptedTransport::Operation;

// A command made of given phrases; a reply is expected after each phrase marked so. Like most
// commands it stores every reply and counts it.
template <typename Base = TavProtocol::Command>
class PhraseListCommand : public Base {
public:
    PhraseListCommand(std::vector<Bytes> phrases, std::vector<bool> expectsReply)
        : phrases_(std::move(phrases)), expectsReply_(std::move(expectsReply)) {}

    bool HasCommandPhrase() override { return this->commandPhrasesProduced_ < static_cast<int>(phrases_.size()); }
    Bytes NextCommandPhrase() override { return phrases_.at(this->commandPhrasesProduced_++); }
    bool ExpectsResponsePhrase() override { return expectsReply_.at(this->commandPhrasesProduced_ - 1); }
    void AddResponsePhrase(const Bytes& response) override {
        this->responsePhrases_.push_back(response);
        ++this->responsePhrasesAdded_;
    }

    const std::vector<Bytes>& Replies() const { return this->responsePhrases_; }
    int RepliesAdded() const { return this->responsePhrasesAdded_; }

private:
    std::vector<Bytes> phrases_;
    std::vector<bool> expectsReply_;
};

TEST(CommandExchangeTest, SendsEachPhraseAsFeaturePayloadAndReadsReplyOfReplyLength) {
    PhraseListCommand command({{0x8C, 0x05, 0x00}, {0x8C, 0x05, 0x01, 0, 0, 0, 0, 0}}, {true, true});
    ScriptedTransport transport;
    transport.QueueReply({1, 2, 3, 4, 5, 6, 7, 8}).QueueReply({9});

    command.Execute(transport);

    const auto& calls = transport.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].operation, Operation::Transmit);
    EXPECT_EQ(calls[0].data, (Bytes{0x8C, 0x05, 0x00}));
    EXPECT_EQ(calls[0].length, 3);
    EXPECT_EQ(calls[0].kind, TavTransport::ReportType::Feature);
    // The receive gets the same payload: the request still in it, the length now the reply's.
    EXPECT_EQ(calls[1].operation, Operation::Receive);
    EXPECT_EQ(calls[1].data, (Bytes{0x8C, 0x05, 0x00}));
    EXPECT_EQ(calls[1].length, 8);
    EXPECT_EQ(calls[1].kind, TavTransport::ReportType::Feature);
    EXPECT_EQ(calls[2].operation, Operation::Transmit);
    EXPECT_EQ(calls[2].length, 8);
    EXPECT_EQ(calls[3].operation, Operation::Receive);
    EXPECT_EQ(calls[3].length, 8);

    // Replies are kept as they came, a short one too: length checks are the command's.
    EXPECT_THAT(command.Replies(), ElementsAre(Bytes{1, 2, 3, 4, 5, 6, 7, 8}, Bytes{9}));
    EXPECT_EQ(command.ResponsePhraseCount(), 2);
}

TEST(CommandExchangeTest, PhrasesWithoutReplyGoOutBackToBackAndNothingIsRead) {
    // A configuration-block write: the code, then the block, no reply to either.
    PhraseListCommand command({{0x84, 0, 0, 0, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8}}, {false, false});
    ScriptedTransport transport;

    command.Execute(transport);

    EXPECT_THAT(transport.TransmittedPhrases(),
                ElementsAre(Bytes{0x84, 0, 0, 0, 0, 0, 0, 0}, Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(transport.ReceiveLengths().empty());
    EXPECT_TRUE(command.Replies().empty());
    EXPECT_EQ(command.ResponsePhraseCount(), 0);
}

TEST(CommandExchangeTest, ReadsOnlyAfterThePhrasesThatExpectAReply) {
    PhraseListCommand command({{0xA}, {0xB}, {0xC}}, {false, true, false});
    ScriptedTransport transport;
    transport.QueueReply({0xBB});

    command.Execute(transport);

    std::vector<Operation> operations;
    for (const auto& call : transport.Calls()) {
        operations.push_back(call.operation);
    }
    EXPECT_THAT(operations,
                ElementsAre(Operation::Transmit, Operation::Transmit, Operation::Receive, Operation::Transmit));
    EXPECT_THAT(command.Replies(), ElementsAre(Bytes{0xBB}));
}

TEST(CommandExchangeTest, CommandWithoutPhrasesTouchesNothing) {
    PhraseListCommand command({}, {});
    ScriptedTransport transport;
    command.Execute(transport);
    EXPECT_TRUE(transport.Calls().empty());
}

TEST(CommandExchangeTest, ReplyLengthAskedForIsTheProtocolsReplyLength) {
    struct Case {
        const char* base;
        int expected;
        std::function<std::unique_ptr<TavProtocol::Command>()> make;
    };
    const std::vector<Bytes> phrase{{0x51}};
    const std::vector<Case> cases{
        {"Command", 8, [&] { return std::make_unique<PhraseListCommand<>>(phrase, std::vector{true}); }},
        {"FeatureReportCommand", 8,
         [&] {
             return std::make_unique<PhraseListCommand<TavProtocol::FeatureReportCommand>>(phrase, std::vector{true});
         }},
        {"Mfp24Command", 24,
         [&] { return std::make_unique<PhraseListCommand<TavProtocol::Mfp24Command>>(phrase, std::vector{true}); }},
        {"SerialBinaryCommand", 8,
         [&] {
             return std::make_unique<PhraseListCommand<TavProtocol::SerialBinaryCommand>>(phrase, std::vector{true});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        auto command = c.make();
        ScriptedTransport transport;
        command->Execute(transport);
        EXPECT_EQ(command->ResponsePhraseLength(), c.expected);
        EXPECT_THAT(transport.ReceiveLengths(), ElementsAre(c.expected));
        EXPECT_EQ(transport.Calls().back().kind, TavTransport::ReportType::Feature);
    }
}

TEST(CommandExchangeTest, SecondRunKeepsOnlyItsOwnReplies) {
    PhraseListCommand command({{0x8A}}, {true});
    ScriptedTransport transport;
    transport.QueueReply({1, 1}).QueueReply({2, 2});

    command.Execute(transport);
    command.Execute(transport);

    EXPECT_THAT(command.Replies(), ElementsAre(Bytes{2, 2}));
    EXPECT_EQ(command.RepliesAdded(), 1);
    EXPECT_THAT(transport.TransmittedPhrases(), ElementsAre(Bytes{0x8A}, Bytes{0x8A}));
}

TEST(CommandExchangeTest, TransportFailurePassesOutAndRepliesSoFarStay) {
    struct Case {
        const char* what;
        std::size_t failingCall;
        std::size_t callsMade;
        std::size_t repliesKept;
    };
    // Calls alternate transmit, receive: 1 T, 2 R, 3 T, 4 R, 5 T.
    const Case cases[] = {
        {"first transmit", 1, 1, 0},
        {"first receive", 2, 2, 0},
        {"second transmit", 3, 3, 1},
        {"third receive", 6, 6, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PhraseListCommand command({{1}, {2}, {3}}, {true, true, true});
        ScriptedTransport transport;
        transport.AnswerWith([](const auto& payload) { return payload.data; }).FailCall(c.failingCall);

        EXPECT_THROW(command.Execute(transport), TavTransport::TransportException);
        EXPECT_EQ(transport.Calls().size(), c.callsMade);
        EXPECT_EQ(command.Replies().size(), c.repliesKept);
    }
}

TEST(CommandExchangeTest, ExceptionOfAnyTypeFromTheTransportPassesUnchanged) {
    PhraseListCommand command({{1}}, {true});
    ScriptedTransport transport;
    transport.FailCall(2, std::make_exception_ptr(std::runtime_error("Unable to receive feature report.")));
    try {
        command.Execute(transport);
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Unable to receive feature report.");
    }
}

// A command with progress of its own, as a blob write has: it walks its data four bytes per
// phrase. Its Reset rewinds that walk too, so a second run sends the same phrases and never
// reads past the data.
class DataWalkingCommand : public TavProtocol::FeatureReportCommand {
public:
    explicit DataWalkingCommand(Bytes data) : data_(std::move(data)) {}

    void Reset() override {
        TavProtocol::FeatureReportCommand::Reset();
        position_ = 0;
    }
    bool HasCommandPhrase() override { return position_ < data_.size(); }
    Bytes NextCommandPhrase() override {
        Bytes phrase{0x89, 0x90, 0x00, static_cast<uint8_t>(++commandPhrasesProduced_)};
        phrase.insert(phrase.end(), data_.begin() + static_cast<std::ptrdiff_t>(position_),
                      data_.begin() + static_cast<std::ptrdiff_t>(position_ + 4));
        position_ += 4;
        return phrase;
    }
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < commandPhrasesProduced_; }
    void AddResponsePhrase(const Bytes& response) override {
        responsePhrases_.push_back(response);
        ++responsePhrasesAdded_;
    }

private:
    Bytes data_;
    std::size_t position_ = 0;
};

TEST(CommandExchangeTest, ResetRewindsASubclasssOwnProgressSoASecondRunRepeatsTheFirst) {
    DataWalkingCommand command({1, 2, 3, 4, 5, 6, 7, 8});
    ScriptedTransport transport;
    transport.AnswerWith([](const auto& payload) { return payload.data; });

    command.Execute(transport);
    const auto firstRun = transport.TransmittedPhrases();
    transport.ClearCalls();
    command.Execute(transport);

    EXPECT_THAT(firstRun, ElementsAre(Bytes{0x89, 0x90, 0, 1, 1, 2, 3, 4}, Bytes{0x89, 0x90, 0, 2, 5, 6, 7, 8}));
    EXPECT_THAT(transport.TransmittedPhrases(), ElementsAreArray(firstRun));
    EXPECT_EQ(command.ResponsePhraseCount(), 2);
}

}  // namespace
