#include "sim/FeatureReportFrontEnd.h"

#include <thread>
#include <utility>

#include "sim/UnknownPhrase.h"

namespace TavSim {

FeatureReportFrontEnd::FeatureReportFrontEnd(SimulatedReader& reader, const PhraseHandlerTable& commands)
    : reader_(reader), commands_(commands) {}

bool FeatureReportFrontEnd::Accept(std::span<const uint8_t> phrase, PhraseKind kind) {
    auto model = reader_.Model();
    if (!model->connected) {
        return false;
    }

    // Which handler takes the phrase, and which command it belongs to (for fault triggers).
    PhraseHandler continuation;
    const PhraseHandler* handler = nullptr;
    std::span<const uint8_t> command = phrase;
    if (mode_) {
        handler = &mode_;
        command = modeCommand_;
    } else if (continuation_) {
        continuation = std::move(continuation_);
        continuation_ = nullptr;
        handler = &continuation;
        command = continuationCommand_;
    } else {
        handler = commands_.Find(phrase);
    }

    const std::optional<Fault> fault = faults_.Take(phrasesCounted_, command);
    if (fault && fault->kind == FaultKind::DeviceGone) {
        model->connected = false;
        return false;
    }
    ++phrasesCounted_;
    if (recording_) {
        received_.push_back({std::vector<uint8_t>(phrase.begin(), phrase.end()), kind});
    }

    // The device's feature report now answers this phrase, or nothing.
    PhraseExchange exchange(phrase, *model);
    if (handler != nullptr) {
        (*handler)(exchange);
    } else {
        if (!unknownPhrasesAllowed_) {
            ReportUnknownPhrase(&commands_ == &Mfp24Commands() ? "MFP24" : "feature-report", phrase);
        }
        exchange.ReplyPadded({});
    }
    if (exchange.LeavesMode() || exchange.Mode() || exchange.Continuation()) {
        std::vector<uint8_t> commandPhrase(command.begin(), command.end());
        if (exchange.LeavesMode()) {
            mode_ = nullptr;
            modeCommand_.clear();
        }
        if (exchange.Mode()) {
            mode_ = std::move(exchange.Mode());
            modeCommand_ = commandPhrase;
        }
        if (exchange.Continuation()) {
            continuation_ = std::move(exchange.Continuation());
            continuationCommand_ = std::move(commandPhrase);
        }
    }

    pendingReply_ = std::move(exchange.ReplyBytes());
    pendingDelay_ = std::chrono::milliseconds(0);
    if (fault) {
        pendingReply_ = ApplyFault(*fault, std::move(pendingReply_));
        if (fault->kind == FaultKind::LateReply) {
            pendingDelay_ = fault->delay;
        }
    }
    return true;
}

FrontEndReply FeatureReportFrontEnd::GetFeatureReport(std::size_t length) {
    FrontEndReply reply;
    std::chrono::milliseconds delay{0};
    {
        auto model = reader_.Model();
        if (!model->connected) {
            reply.status = FrontEndReply::Status::DeviceGone;
            return reply;
        }
        // Reading the reply ends the command: a continuation a write would have needed is dropped.
        continuation_ = nullptr;
        if (!pendingReply_) {
            reply.status = FrontEndReply::Status::NoReply;
            return reply;
        }
        reply.status = FrontEndReply::Status::Replied;
        reply.bytes = std::move(*pendingReply_);
        pendingReply_.reset();
        delay = std::exchange(pendingDelay_, std::chrono::milliseconds(0));
    }
    if (delay.count() > 0) {
        std::this_thread::sleep_for(delay);
    }
    if (reply.bytes.size() > length) {
        reply.bytes.resize(length);
    }
    return reply;
}

void FeatureReportFrontEnd::InjectFault(FaultTrigger trigger, Fault fault, int times) {
    auto model = reader_.Model();
    faults_.Add(std::move(trigger), fault, times);
}

void FeatureReportFrontEnd::ClearFaults() {
    auto model = reader_.Model();
    faults_.Clear();
}

void FeatureReportFrontEnd::AllowUnknownPhrases() {
    auto model = reader_.Model();
    unknownPhrasesAllowed_ = true;
}

std::vector<FeatureReportFrontEnd::ReceivedPhrase> FeatureReportFrontEnd::Received() const {
    auto model = reader_.Model();
    return received_;
}

std::vector<std::vector<uint8_t>> FeatureReportFrontEnd::ReceivedBytes() const {
    auto model = reader_.Model();
    std::vector<std::vector<uint8_t>> phrases;
    phrases.reserve(received_.size());
    for (const auto& phrase : received_) {
        phrases.push_back(phrase.bytes);
    }
    return phrases;
}

void FeatureReportFrontEnd::ClearReceived() {
    auto model = reader_.Model();
    received_.clear();
    phrasesCounted_ = 0;
}

void FeatureReportFrontEnd::SetRecording(bool on) {
    auto model = reader_.Model();
    recording_ = on;
}

}  // namespace TavSim
