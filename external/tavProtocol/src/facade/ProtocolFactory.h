#pragma once

#include <cstdint>
#include <memory>

#include "core/Protocol.h"

namespace TavProtocol {

// Picks the protocol object for a reader definition's protocol type.
class ProtocolFactory {
public:
    // 1 feature report, 2 MFP24, 3 serial binary; any other type throws ProtocolException.
    static std::unique_ptr<Protocol> GetProtocol(uint8_t protocolType);
};

}  // namespace TavProtocol
