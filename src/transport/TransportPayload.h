#pragma once

#include <cstdint>
#include <vector>

namespace TavTransport {

// How a USB HID transport sends a phrase; serial and dummy transports ignore it.
enum class ReportType : uint8_t { Output = 2, Feature = 3 };

// What a command hands to a transport: for transmit the phrase and its length, for receive the
// number of reply bytes to read.
struct TransportPayload {
    std::vector<uint8_t> data;
    uint16_t length = 0;
    ReportType kind = ReportType::Feature;
};

}  // namespace TavTransport
