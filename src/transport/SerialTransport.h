#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "Tavelin/ReaderDefinition.h"
#include "transport/SerialPortWrapper.h"
#include "transport/Transport.h"

namespace TavTransport {

// The transport of readers on a serial line. A reply has no fixed length: receive returns what
// the reader sent until the line went quiet for one receive delay. A reply that begins after its
// receive window would be read as the next phrase's: after a receive that got nothing, or a reply
// the protocol could not read, the next phrase waits until the line has been quiet for a whole
// window, and what arrives meanwhile is dropped.
class SerialTransport : public Transport {
public:
    // Checks the definition's serial settings before any port is touched.
    explicit SerialTransport(const TavCommon::ReaderDefinition& definition);
    ~SerialTransport() override;

    // Opens and configures the port; the retry count means nothing to a serial line.
    void init(uint32_t retryCount) override;
    // The payload's length is not consulted.
    std::vector<uint8_t> receive(TransportPayload& payload) override;
    void transmit(TransportPayload& payload) override;
    // 1 to 25500 ms.
    void setReceiveDelayMs(uint32_t milliseconds) override;
    void discardPendingInput() override;
    void replyUnreadable() override;

    // How long a line that keeps talking is waited for before a phrase fails unsent.
    static constexpr std::chrono::milliseconds kQuietLineLimit{1000};

private:
    void validatePortSettings() const;
    void awaitQuietLine();

    std::unique_ptr<SerialPortWrapper> port_;
    TavCommon::SerialPortSettings serialPortSettings_;
    bool connected_ = false;
    // Set by a receive that got nothing and by an unreadable reply; cleared once the line was quiet.
    bool lineUnsettled_ = false;
};

}  // namespace TavTransport
