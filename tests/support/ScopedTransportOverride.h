#pragma once

#include "transport/TransportFactoryOverride.h"

namespace TavTest {

// Makes the transport factory hand out the creator's transports while it lives.
class ScopedTransportOverride {
public:
    explicit ScopedTransportOverride(TavTransport::TransportCreator creator) {
        TavTransport::SetTransportCreatorOverride(std::move(creator));
    }
    ~ScopedTransportOverride() { TavTransport::SetTransportCreatorOverride(nullptr); }
    ScopedTransportOverride(const ScopedTransportOverride&) = delete;
    ScopedTransportOverride& operator=(const ScopedTransportOverride&) = delete;
};

}  // namespace TavTest
