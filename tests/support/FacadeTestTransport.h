#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "support/ScopedTransportOverride.h"
#include "transport/Transport.h"

namespace TavTest {

// What a facade test observes of the transports it hands in; it outlives them.
struct TransportProbe {
    std::atomic<int> created{0};
    std::atomic<int> destroyed{0};
    std::atomic<int64_t> lastRetryCount{-1};
    // Calls running inside the transport at once; above 1 means two exchanges met.
    std::atomic<int> inside{0};
    std::atomic<int> mostInside{0};
    // Set before the transport is used, read only afterwards.
    std::function<void(uint32_t)> onInit;
    std::function<void()> onTransmit;

    std::mutex mutex;
    std::vector<std::vector<uint8_t>> transmitted;
};

// A transport that answers every receive with the bytes asked for (0xA5 each) and tells the
// probe what happened to it.
class ProbeTransport : public TavTransport::Transport {
public:
    ProbeTransport(const TavCommon::ReaderDefinition& definition, std::shared_ptr<TransportProbe> probe)
        : Transport(definition), probe_(std::move(probe)) {
        ++probe_->created;
    }
    ~ProbeTransport() override { ++probe_->destroyed; }

    void init(uint32_t retryCount) override {
        probe_->lastRetryCount = retryCount;
        if (probe_->onInit) {
            probe_->onInit(retryCount);
        }
    }
    void transmit(TavTransport::TransportPayload& payload) override {
        const Inside inside(*probe_);
        {
            const std::lock_guard lock(probe_->mutex);
            probe_->transmitted.push_back(payload.data);
        }
        if (probe_->onTransmit) {
            probe_->onTransmit();
        }
    }
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        const Inside inside(*probe_);
        return std::vector<uint8_t>(payload.length, 0xA5);
    }

private:
    struct Inside {
        explicit Inside(TransportProbe& probe) : probe_(probe) {
            const int now = ++probe_.inside;
            int most = probe_.mostInside.load();
            while (now > most && !probe_.mostInside.compare_exchange_weak(most, now)) {
            }
        }
        ~Inside() { --probe_.inside; }
        TransportProbe& probe_;
    };

    std::shared_ptr<TransportProbe> probe_;
};

// A definition that only names its protocol type: all a probe transport needs.
inline TavCommon::ReaderDefinition ProbeDefinition(uint8_t protocolType = 1) {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = protocolType;
    return definition;
}

// Makes the transport factory hand out probe transports for as long as it lives.
class ScopedProbeTransports {
public:
    explicit ScopedProbeTransports(std::shared_ptr<TransportProbe> probe = std::make_shared<TransportProbe>())
        : probe_(std::move(probe)), override_([probe = probe_](const TavCommon::ReaderDefinition& definition) {
              return std::make_unique<ProbeTransport>(definition, probe);
          }) {}

    TransportProbe& probe() const { return *probe_; }

private:
    std::shared_ptr<TransportProbe> probe_;
    ScopedTransportOverride override_;
};

}  // namespace TavTest
