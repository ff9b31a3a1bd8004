#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Command.h"
#include "transport/Transport.h"

namespace {

// Records the order in which a command reaches its transport.
class OrderTransport : public TavTransport::Transport {
public:
    OrderTransport() : Transport(TavCommon::ReaderDefinition{}) {}
    void init(uint32_t) override {}
    std::vector<uint8_t> receive(TavTransport::TransportPayload&) override {
        calls.push_back("receive");
        return {0x90, 0x00};
    }
    void transmit(TavTransport::TransportPayload&) override { calls.push_back("transmit"); }
    void discardPendingInput() override { calls.push_back("discard"); }

    std::vector<std::string> calls;
};

// Two phrases, each answered.
class TwoPhraseCommand : public TavProtocol::Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 2; }
    std::vector<uint8_t> NextCommandPhrase() override {
        ++commandPhrasesProduced_;
        return {0xFA};
    }
    void AddResponsePhrase(const std::vector<uint8_t>& reply) override {
        responsePhrases_.push_back(reply);
        ++responsePhrasesAdded_;
    }
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < commandPhrasesProduced_; }
};

TEST(CommandPendingInputTest, StaleInputIsDroppedOnceAsTheCommandBeginsNeverBetweenPhrases) {
    OrderTransport transport;
    TwoPhraseCommand command;
    command.Execute(transport);
    EXPECT_EQ(transport.calls, (std::vector<std::string>{"discard", "transmit", "receive", "transmit", "receive"}));
}

}  // namespace
