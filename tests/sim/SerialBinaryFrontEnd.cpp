#include "sim/SerialBinaryFrontEnd.h"

#include <algorithm>
#include <array>
#include <thread>
#include <utility>

#include "sim/UnknownPhrase.h"

namespace TavSim {

namespace {

constexpr uint8_t kClass = 0xFA;
constexpr std::size_t kHeaderLength = 5;

// Frames that are not a bare five-byte header, by instruction (and sub-command).
struct FrameShape {
    uint8_t instruction;
    std::optional<uint8_t> subCommand;
    std::size_t length;  // the whole frame, or the header when the data length is P3
    bool dataLengthIsP3;
};

constexpr std::array<FrameShape, 4> kFrameShapes{{
    {0x81, std::nullopt, kHeaderLength + 8, false},  // configuration block write: the block follows
    {0x8A, std::nullopt, kHeaderLength, true},       // extended configuration write: P3 bytes follow
    {0x0C, 0x86, kHeaderLength + 1, false},          // beeper volume write: one more byte
    {0x09, 0x82, kHeaderLength + 2, false},          // configuration copy: two more parameter bytes
}};

}  // namespace

SerialBinaryFrontEnd::SerialBinaryFrontEnd(SimulatedReader& reader, const PhraseHandlerTable& commands)
    : reader_(reader), commands_(commands) {}

std::optional<std::size_t> SerialBinaryFrontEnd::FrameLength(std::span<const uint8_t> pending) const {
    auto model = reader_.Model();
    if (pending.empty()) {
        return std::nullopt;
    }
    if (continuation_) {
        // A data phrase has no header: its length is what the header's P3 announced.
        const std::size_t length = continuationCommand_.size() > 4 ? continuationCommand_[4] : 0;
        return std::max<std::size_t>(length, 1);
    }
    if (pending[0] != kClass) {
        return 0;
    }
    if (pending.size() < 3) {
        return std::nullopt;
    }
    const FrameShape* shape = nullptr;
    for (const auto& candidate : kFrameShapes) {
        if (candidate.instruction == pending[1] && (!candidate.subCommand || *candidate.subCommand == pending[2])) {
            if (shape == nullptr || (candidate.subCommand && !shape->subCommand)) {
                shape = &candidate;
            }
        }
    }
    if (shape == nullptr) {
        return kHeaderLength;
    }
    if (!shape->dataLengthIsP3) {
        return shape->length;
    }
    if (pending.size() < kHeaderLength) {
        return std::nullopt;
    }
    return shape->length + pending[4];
}

SerialBinaryFrontEnd::Answer SerialBinaryFrontEnd::Accept(std::span<const uint8_t> frame) {
    auto model = reader_.Model();
    Answer answer;
    if (!model->connected) {
        answer.deviceGone = true;
        return answer;
    }

    PhraseHandler continuation;
    const PhraseHandler* handler = nullptr;
    std::vector<uint8_t> command(frame.begin(), frame.end());
    if (continuation_) {
        continuation = std::move(continuation_);
        continuation_ = nullptr;
        handler = &continuation;
        command = std::move(continuationCommand_);
        continuationCommand_.clear();
    } else {
        handler = commands_.Find(frame);
    }

    const std::optional<Fault> fault = faults_.Take(received_.size(), command);
    if (fault && fault->kind == FaultKind::DeviceGone) {
        model->connected = false;
        answer.deviceGone = true;
        return answer;
    }
    received_.emplace_back(frame.begin(), frame.end());

    PhraseExchange exchange(frame, *model);
    if (handler != nullptr) {
        (*handler)(exchange);
    } else {
        if (!unknownPhrasesAllowed_) {
            ReportUnknownPhrase("serial-binary", frame);
        }
        exchange.Reply({0x6D, 0x00});  // INVALID_INSTRUCTION
    }
    if (exchange.Continuation()) {
        continuation_ = std::move(exchange.Continuation());
        continuationCommand_ = command;
        answer.awaitsDataPhrase = true;
    }
    answer.reply = std::move(exchange.ReplyBytes());

    if (fault) {
        if (fault->kind == FaultKind::PausedReply) {
            answer.pauseAfter = fault->length;
            answer.pause = fault->delay;
        } else {
            answer.delay = fault->delay;
        }
        switch (fault->kind) {
        case FaultKind::WrongStatusWord:
            if (answer.reply && answer.reply->size() >= 2) {
                answer.reply->at(answer.reply->size() - 2) = static_cast<uint8_t>(fault->statusWord >> 8);
                answer.reply->back() = static_cast<uint8_t>(fault->statusWord);
            }
            break;
        case FaultKind::LateReply:
        case FaultKind::PausedReply:
            break;
        case FaultKind::EndlessReply:
            answer.reply.reset();
            answer.endlessFiller = fault->value;
            break;
        default:
            answer.reply = ApplyFault(*fault, std::move(answer.reply));
            break;
        }
    }
    return answer;
}

std::vector<uint8_t> SerialBinaryFrontEnd::ExpireDataPhrase() {
    auto model = reader_.Model();
    continuation_ = nullptr;
    continuationCommand_.clear();
    return {0x6B};
}

bool SerialBinaryFrontEnd::Send(std::span<const uint8_t> phrase, PhraseKind /*kind*/) {
    Answer answer = Accept(phrase);
    if (answer.deviceGone) {
        return false;
    }
    auto model = reader_.Model();
    pending_ = std::move(answer);
    return true;
}

FrontEndReply SerialBinaryFrontEnd::Receive(std::size_t /*length*/) {
    FrontEndReply reply;
    std::optional<Answer> answer;
    {
        auto model = reader_.Model();
        if (!model->connected) {
            reply.status = FrontEndReply::Status::DeviceGone;
            return reply;
        }
        answer = std::exchange(pending_, std::nullopt);
    }
    if (!answer || (!answer->reply && !answer->endlessFiller)) {
        reply.status = FrontEndReply::Status::NoReply;
        return reply;
    }
    if (answer->delay.count() > 0) {
        std::this_thread::sleep_for(answer->delay);
    }
    reply.status = FrontEndReply::Status::Replied;
    // A serial receive takes what arrived, whatever was asked for; an endless reply as much as one
    // receive window holds.
    reply.bytes = answer->endlessFiller ? std::vector<uint8_t>(255, *answer->endlessFiller) : std::move(*answer->reply);
    return reply;
}

FrontEndReply SerialBinaryFrontEnd::Receive(std::size_t /*length*/, std::chrono::milliseconds window) {
    FrontEndReply reply;
    std::optional<Answer> answer;
    std::vector<uint8_t> waiting;
    {
        auto model = reader_.Model();
        if (!model->connected) {
            reply.status = FrontEndReply::Status::DeviceGone;
            return reply;
        }
        answer = std::exchange(pending_, std::nullopt);
        waiting = std::exchange(lateInput_, {});
    }
    std::vector<uint8_t> bytes;
    if (answer && (answer->reply || answer->endlessFiller)) {
        bytes = answer->endlessFiller ? std::vector<uint8_t>(255, *answer->endlessFiller) : std::move(*answer->reply);
    }
    if (answer && answer->delay > window) {
        std::this_thread::sleep_for(window);
        auto model = reader_.Model();
        lateInput_.insert(lateInput_.end(), bytes.begin(), bytes.end());
        bytes.clear();
    } else if (answer && answer->delay.count() > 0) {
        std::this_thread::sleep_for(answer->delay);
    }
    waiting.insert(waiting.end(), bytes.begin(), bytes.end());
    if (waiting.empty()) {
        reply.status = FrontEndReply::Status::NoReply;
        return reply;
    }
    reply.status = FrontEndReply::Status::Replied;
    reply.bytes = std::move(waiting);
    return reply;
}

void SerialBinaryFrontEnd::DiscardPendingInput() {
    auto model = reader_.Model();
    lateInput_.clear();
}

void SerialBinaryFrontEnd::InjectFault(FaultTrigger trigger, Fault fault, int times) {
    auto model = reader_.Model();
    faults_.Add(std::move(trigger), fault, times);
}

void SerialBinaryFrontEnd::ClearFaults() {
    auto model = reader_.Model();
    faults_.Clear();
}

void SerialBinaryFrontEnd::AllowUnknownPhrases() {
    auto model = reader_.Model();
    unknownPhrasesAllowed_ = true;
}

std::vector<std::vector<uint8_t>> SerialBinaryFrontEnd::ReceivedBytes() const {
    auto model = reader_.Model();
    return received_;
}

void SerialBinaryFrontEnd::ClearReceived() {
    auto model = reader_.Model();
    received_.clear();
}

}  // namespace TavSim
