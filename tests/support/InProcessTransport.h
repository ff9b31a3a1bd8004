#pragma once

#include <cstdint>
#include <memory>

#include "sim/FrontEnd.h"
#include "support/Timeline.h"
#include "transport/Transport.h"

namespace TavTest {

// Connects the code under test to a front end of the simulated reader, in process. A phrase
// goes out as the payload's kind says; a receive returns the reply as the front end gives it
// (shorter than asked when the reply is short, empty when there is none). A device that is gone
// fails init, transmit and receive with std::runtime_error, as the USB HID transport's library
// calls do. A receive waits no longer than the receive delay for a front end that can answer later.
class InProcessTransport : public TavTransport::Transport {
public:
    explicit InProcessTransport(TavSim::FrontEnd& frontEnd);
    InProcessTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition);

    void init(uint32_t retryCount) override;
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override;
    void transmit(TavTransport::TransportPayload& payload) override;
    // A serial front end keeps a reply later than the receive delay for the next receive; this
    // drops it, as the serial transport drops what arrived before a command.
    void discardPendingInput() override;
    // Only counted: settling a line is the serial transport's, tested on a pseudo-terminal.
    void replyUnreadable() override { ++unreadableReplies_; }

    // From now on every phrase sent and every reply received is appended to the timeline, where a
    // RecordingTimeDelay on the same timeline puts its waits.
    void RecordOn(std::shared_ptr<Timeline> timeline) { timeline_ = std::move(timeline); }

    uint32_t InitCalls() const { return initCalls_; }
    uint32_t LastRetryCount() const { return lastRetryCount_; }
    uint32_t UnreadableReplies() const { return unreadableReplies_; }

private:
    TavSim::FrontEnd& frontEnd_;
    uint32_t initCalls_ = 0;
    uint32_t lastRetryCount_ = 0;
    uint32_t unreadableReplies_ = 0;
    std::shared_ptr<Timeline> timeline_;
};

}  // namespace TavTest
