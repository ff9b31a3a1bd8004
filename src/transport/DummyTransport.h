#pragma once

#include "transport/Transport.h"

namespace TavTransport {

// A transport without a device: it logs what it is asked to do and moves no bytes.
class DummyTransport : public Transport {
public:
    using Transport::Transport;
    ~DummyTransport() override;

    void init(uint32_t retryCount) override;
    std::vector<uint8_t> receive(TransportPayload& payload) override;
    void transmit(TransportPayload& payload) override;
};

}  // namespace TavTransport
