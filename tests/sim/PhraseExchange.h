#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

#include "sim/DeviceModel.h"

namespace TavSim {

class PhraseExchange;

// Answers one request phrase: reads the phrase, changes the model, and replies (or not).
using PhraseHandler = std::function<void(PhraseExchange&)>;

// One request phrase as a command handler sees it. The handler runs under the reader's lock.
class PhraseExchange {
public:
    PhraseExchange(std::span<const uint8_t> phrase, DeviceModel& model) : phrase_(phrase), model_(model) {}

    std::span<const uint8_t> Phrase() const { return phrase_; }
    // Byte `index` of the phrase; bytes the host did not send read as 0, as padding would.
    uint8_t Byte(std::size_t index) const { return index < phrase_.size() ? phrase_[index] : 0; }
    DeviceModel& Model() { return model_; }

    // The reply the host reads next. A phrase left without a reply has none.
    void Reply(std::vector<uint8_t> reply) { reply_ = std::move(reply); }
    // The bytes given, then zero bytes up to `length`.
    void ReplyPadded(std::initializer_list<uint8_t> bytes, std::size_t length = 8);
    // The 8 bytes of `bytes` from `offset`, zero bytes past their end (one part of a paged read).
    void ReplySlice(std::span<const uint8_t> bytes, std::size_t offset);

    // The next phrase goes to `handler` instead of the command table (a write's data phrase).
    // On USB HID, reading the reply first drops it: the phrase was a read, not a write.
    void ContinueWith(PhraseHandler handler) { continuation_ = std::move(handler); }
    // Every later phrase goes to `handler` until a handler calls LeaveMode (the bootloader).
    void EnterMode(PhraseHandler handler) { mode_ = std::move(handler); }
    void LeaveMode() { leaveMode_ = true; }

    // Read by the front end once the handler has returned.
    std::optional<std::vector<uint8_t>>& ReplyBytes() { return reply_; }
    PhraseHandler& Continuation() { return continuation_; }
    PhraseHandler& Mode() { return mode_; }
    bool LeavesMode() const { return leaveMode_; }

private:
    std::span<const uint8_t> phrase_;
    DeviceModel& model_;
    std::optional<std::vector<uint8_t>> reply_;
    PhraseHandler continuation_;
    PhraseHandler mode_;
    bool leaveMode_ = false;
};

inline void PhraseExchange::ReplyPadded(std::initializer_list<uint8_t> bytes, std::size_t length) {
    std::vector<uint8_t> reply(bytes);
    if (reply.size() < length) {
        reply.resize(length, 0);
    }
    reply_ = std::move(reply);
}

inline void PhraseExchange::ReplySlice(std::span<const uint8_t> bytes, std::size_t offset) {
    std::vector<uint8_t> reply(8, 0);
    for (std::size_t i = 0; i < reply.size() && offset + i < bytes.size(); ++i) {
        reply[i] = bytes[offset + i];
    }
    reply_ = std::move(reply);
}

}  // namespace TavSim
