#include "support/ScriptedTransport.h"

#include <cstring>
#include <utility>

#include "transport/TransportException.h"

namespace TavTest {

namespace {

TavCommon::ReaderDefinition DummyDefinition() {
    TavCommon::ReaderDefinition definition;
    std::memset(&definition, 0, sizeof definition);
    definition.ProtocolType = static_cast<uint8_t>(TavCommon::ProtocolType::Dummy);
    return definition;
}

}  // namespace

ScriptedTransport::ScriptedTransport() : ScriptedTransport(DummyDefinition()) {}

ScriptedTransport::ScriptedTransport(const TavCommon::ReaderDefinition& definition) : Transport(definition) {}

ScriptedTransport& ScriptedTransport::QueueReply(std::vector<uint8_t> reply) {
    replies_.push_back(std::move(reply));
    return *this;
}

ScriptedTransport& ScriptedTransport::AnswerWith(ReplyFunction function) {
    replyFunction_ = std::move(function);
    return *this;
}

ScriptedTransport& ScriptedTransport::FailCall(std::size_t n, std::exception_ptr error) {
    failures_[n] = std::move(error);
    return *this;
}

ScriptedTransport& ScriptedTransport::FailCall(std::size_t n) {
    return FailCall(n, std::make_exception_ptr(TavTransport::TransportException("Scripted transport failure",
                                                                                "ScriptedTransport", 0, "FailCall")));
}

void ScriptedTransport::init(uint32_t retryCount) {
    calls_.push_back({Operation::Init, {}, 0, TavTransport::ReportType::Feature, retryCount});
}

void ScriptedTransport::Record(Operation operation, const TavTransport::TransportPayload& payload) {
    calls_.push_back({operation, payload.data, payload.length, payload.kind, 0});
    if (const auto failure = failures_.find(++exchangeCalls_); failure != failures_.end()) {
        std::rethrow_exception(failure->second);
    }
}

void ScriptedTransport::transmit(TavTransport::TransportPayload& payload) { Record(Operation::Transmit, payload); }

std::vector<uint8_t> ScriptedTransport::receive(TavTransport::TransportPayload& payload) {
    Record(Operation::Receive, payload);
    if (!replies_.empty()) {
        std::vector<uint8_t> reply = std::move(replies_.front());
        replies_.pop_front();
        return reply;
    }
    return replyFunction_ ? replyFunction_(payload) : std::vector<uint8_t>{};
}

std::vector<std::vector<uint8_t>> ScriptedTransport::TransmittedPhrases() const {
    std::vector<std::vector<uint8_t>> phrases;
    for (const Call& call : calls_) {
        if (call.operation == Operation::Transmit) {
            phrases.push_back(call.data);
        }
    }
    return phrases;
}

std::vector<uint16_t> ScriptedTransport::ReceiveLengths() const {
    std::vector<uint16_t> lengths;
    for (const Call& call : calls_) {
        if (call.operation == Operation::Receive) {
            lengths.push_back(call.length);
        }
    }
    return lengths;
}

}  // namespace TavTest
