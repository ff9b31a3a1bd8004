#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace TavSim {

// How a phrase reaches the reader: as a feature report or an output report on USB HID; serial
// front ends ignore it.
enum class PhraseKind : uint8_t { Output = 2, Feature = 3 };

struct FrontEndReply {
    enum class Status { Replied, NoReply, DeviceGone };
    Status status = Status::NoReply;
    std::vector<uint8_t> bytes;
};

// A front end as an in-process transport reaches it: one phrase in, one reply out.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    // False when the device is gone and the phrase did not arrive.
    virtual bool Send(std::span<const uint8_t> phrase, PhraseKind kind) = 0;
    // At most `length` bytes of the reader's reply.
    virtual FrontEndReply Receive(std::size_t length) = 0;
    // The same for a transport that stops waiting after `window` (a serial line's receive delay): a
    // front end whose replies can come later than that keeps them for the next receive. Others
    // wait for the reply.
    virtual FrontEndReply Receive(std::size_t length, std::chrono::milliseconds /*window*/) { return Receive(length); }
    // What arrived unasked is dropped (a serial transport does this as a command begins).
    virtual void DiscardPendingInput() {}
    // Whether the device is there, asked without touching the exchange (a transport's init).
    virtual bool DevicePresent() = 0;
};

}  // namespace TavSim
