#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Tavelin/ReaderDefinition.h"
#include "transport/SerialPortWrapper.h"
#include "transport/Transport.h"

namespace TavTransport {

// The transport of readers on a serial line. A reply has no fixed length: receive returns what
// the reader sent until the line went quiet for one receive delay.
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

private:
    void validatePortSettings() const;

    std::unique_ptr<SerialPortWrapper> port_;
    TavCommon::SerialPortSettings serialPortSettings_;
    bool connected_ = false;
};

}  // namespace TavTransport
