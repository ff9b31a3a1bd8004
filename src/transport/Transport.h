#pragma once

#include <cstdint>
#include <vector>

#include "Tavelin/ReaderDefinition.h"
#include "transport/TransportPayload.h"

namespace TavTransport {

// The byte pipe under a wire protocol: one request phrase out, one reply phrase back.
class Transport {
public:
    explicit Transport(const TavCommon::ReaderDefinition& definition) : readerDefinition_(definition) {}
    virtual ~Transport() = default;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // Connects to the reader, trying retryCount more times after a failed first attempt.
    virtual void init(uint32_t retryCount) = 0;
    virtual std::vector<uint8_t> receive(TransportPayload& payload) = 0;
    virtual void transmit(TransportPayload& payload) = 0;
    virtual void setReceiveDelayMs(uint32_t milliseconds) { receiveDelayMs_ = milliseconds; }
    // Called as a command begins: a transport whose device can send unasked (a serial line) drops
    // what arrived before, so a reply too late for one command is not taken for the next one's
    // unless it arrives after the next command has begun: a byte stream cannot tell them apart.
    virtual void discardPendingInput() {}

    const TavCommon::ReaderDefinition& readerDefinition() const { return readerDefinition_; }
    uint32_t receiveDelayMs() const { return receiveDelayMs_; }

protected:
    TavCommon::ReaderDefinition readerDefinition_;
    uint32_t receiveDelayMs_ = 25;
};

}  // namespace TavTransport
