#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace TavSim {

// A fault the simulated reader shows on the wire, armed in a front end's FaultPlan.
enum class FaultKind {
    NoReply,          // the phrase is taken but never answered
    ShortReply,       // the reply is cut to `length` bytes
    CorruptByte,      // reply byte `index` becomes `value`
    WrongStatusWord,  // serial binary: the reply ends in `statusWord` instead of 90 00
    LateReply,        // the reply comes `delay` late
    EndlessReply,     // every reply is `value` bytes: a string or list that never ends
    DeviceGone,       // the device disappears as the phrase arrives; every exchange fails after
    TrailingBytes,    // `length` bytes of `value` follow the reply (a reply longer than its command's)
    PausedReply,      // serial line: the reply's first `length` bytes, the rest `delay` later
};

struct Fault {
    FaultKind kind = FaultKind::NoReply;
    std::size_t length = 0;
    std::size_t index = 0;
    uint8_t value = 0;
    uint16_t statusWord = 0;
    std::chrono::milliseconds delay{0};

    static Fault NoReply() { return {.kind = FaultKind::NoReply}; }
    static Fault ShortReply(std::size_t length) { return {.kind = FaultKind::ShortReply, .length = length}; }
    static Fault CorruptByte(std::size_t index, uint8_t value) {
        return {.kind = FaultKind::CorruptByte, .index = index, .value = value};
    }
    static Fault WrongStatusWord(uint16_t statusWord) {
        return {.kind = FaultKind::WrongStatusWord, .statusWord = statusWord};
    }
    static Fault LateReply(std::chrono::milliseconds delay) { return {.kind = FaultKind::LateReply, .delay = delay}; }
    // The filler has no zero byte, so neither a string nor a card-type list ever ends.
    static Fault EndlessReply(uint8_t filler = 0x41) { return {.kind = FaultKind::EndlessReply, .value = filler}; }
    static Fault DeviceGone() { return {.kind = FaultKind::DeviceGone}; }
    static Fault TrailingBytes(std::size_t length, uint8_t value = 0x00) {
        return {.kind = FaultKind::TrailingBytes, .length = length, .value = value};
    }
    // A reader that stops in the middle of a reply (writing its flash, say).
    static Fault PausedReply(std::size_t length, std::chrono::milliseconds pause) {
        return {.kind = FaultKind::PausedReply, .length = length, .delay = pause};
    }
    // On the serial line, the reply this fault leaves comes `late` after the reader's reply time (a
    // refusal answered slowly, say). Not for PausedReply, whose delay is its pause.
    Fault After(std::chrono::milliseconds late) const {
        Fault delayed = *this;
        delayed.delay = late;
        return delayed;
    }
};

// Which phrases a fault hits: those of one command (every phrase whose command phrase starts
// with `commandPrefix`, continuation phrases included), or the phrase with one index in the
// front end's record of received phrases.
struct FaultTrigger {
    std::optional<std::vector<uint8_t>> commandPrefix;
    std::optional<std::size_t> phraseIndex;

    static FaultTrigger OnCommand(std::vector<uint8_t> prefix) { return {std::move(prefix), std::nullopt}; }
    static FaultTrigger OnPhrase(std::size_t index) { return {std::nullopt, index}; }
};

// What the generic faults do to a reply (none: no reply). WrongStatusWord, LateReply, PausedReply
// and DeviceGone are the front end's business and leave the reply as it is.
std::optional<std::vector<uint8_t>> ApplyFault(const Fault& fault, std::optional<std::vector<uint8_t>> reply);

}  // namespace TavSim
