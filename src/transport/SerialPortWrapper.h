#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "Tavelin/ReaderDefinition.h"

namespace TavTransport {

// Receive delays a serial port accepts: a delay paces the receive window and becomes the line's
// read timeout, whose limit is 25.5 s; a delay of 0 would never end a silent window.
inline constexpr int64_t kMinReceiveDelayMs = 1;
inline constexpr int64_t kMaxReceiveDelayMs = 25500;

// A serial line as the serial transport sees it.
class SerialPortWrapper {
public:
    // (Re)opens and configures the port.
    virtual void Configure(const TavCommon::SerialPortSettings& settings, int32_t receiveDelayMs) = 0;
    virtual void SetReceiveDelayMs(int32_t receiveDelayMs) = 0;
    virtual void Send(std::vector<uint8_t> bytes) = 0;
    virtual void Close() = 0;
    // One reply of unknown length: what arrives until the line has been quiet for one receive
    // delay, or nothing when the reader stays silent for the whole window.
    virtual std::vector<uint8_t> Receive() = 0;
    // Drops what the reader sent before now. Bytes still on their way are not waited for.
    virtual void DiscardPendingInput() = 0;
    // Drops what arrives until the line has been quiet for one whole receive window, appending it
    // to `dropped`; false when the line was still talking after `limit`.
    virtual bool AwaitQuietLine(std::chrono::milliseconds limit, std::vector<uint8_t>& dropped) = 0;
    virtual ~SerialPortWrapper() = default;
};

}  // namespace TavTransport
