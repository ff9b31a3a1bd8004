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
    // what arrived before. A reply later than its window would still be taken for the next
    // phrase's: the serial transport holds that phrase back until its line is quiet (see
    // replyUnreadable).
    virtual void discardPendingInput() {}
    // Called when the protocol could not read the last reply (too short, a wrong echo): on a byte
    // stream (a serial line) the rest of it, or another phrase's reply, may still be on its way, so
    // the serial transport lets the line go quiet before it sends the next phrase. A reply the
    // protocol could read, a refusal included, is never reported here.
    virtual void replyUnreadable() {}

    const TavCommon::ReaderDefinition& readerDefinition() const { return readerDefinition_; }
    uint32_t receiveDelayMs() const { return receiveDelayMs_; }

protected:
    TavCommon::ReaderDefinition readerDefinition_;
    uint32_t receiveDelayMs_ = 25;
};

}  // namespace TavTransport
