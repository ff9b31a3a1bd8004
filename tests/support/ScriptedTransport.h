#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <vector>

#include "transport/Transport.h"

namespace TavTest {

// A transport for command-level tests: records every call with the payload as it was handed in,
// answers receives from a queue of replies or a callback, and throws on the calls it is told to.
// An unanswered receive returns no bytes.
class ScriptedTransport : public TavTransport::Transport {
public:
    enum class Operation { Init, Transmit, Receive };

    struct Call {
        Operation operation;
        std::vector<uint8_t> data;  // the payload's bytes (for a receive: what the payload still held)
        uint16_t length = 0;        // phrase length, or the number of reply bytes asked for
        TavTransport::ReportType kind = TavTransport::ReportType::Feature;
        uint32_t retryCount = 0;  // init only
    };

    using ReplyFunction = std::function<std::vector<uint8_t>(const TavTransport::TransportPayload&)>;

    ScriptedTransport();
    explicit ScriptedTransport(const TavCommon::ReaderDefinition& definition);

    // Replies handed out by receive, in order; the callback answers once the queue is empty.
    ScriptedTransport& QueueReply(std::vector<uint8_t> reply);
    ScriptedTransport& AnswerWith(ReplyFunction function);
    // The n-th transmit or receive (counted together, from 1) is recorded, then throws.
    ScriptedTransport& FailCall(std::size_t n, std::exception_ptr error);
    ScriptedTransport& FailCall(std::size_t n);  // a TransportException

    void init(uint32_t retryCount) override;
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override;
    void transmit(TavTransport::TransportPayload& payload) override;

    const std::vector<Call>& Calls() const { return calls_; }
    std::vector<std::vector<uint8_t>> TransmittedPhrases() const;
    std::vector<uint16_t> ReceiveLengths() const;
    void ClearCalls() { calls_.clear(); }

private:
    void Record(Operation operation, const TavTransport::TransportPayload& payload);

    std::vector<Call> calls_;
    std::size_t exchangeCalls_ = 0;
    std::deque<std::vector<uint8_t>> replies_;
    ReplyFunction replyFunction_;
    std::map<std::size_t, std::exception_ptr> failures_;
};

}  // namespace TavTest
