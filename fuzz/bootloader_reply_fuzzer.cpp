// Whatever the bootloader answers, a firmware upgrade fails cleanly or goes on, and ends once its
// input does.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <sstream>
#include <string>

#include "FuzzReplyTransport.h"
#include "core/ProtocolException.h"
#include "featureReport/UpgradeFirmwareWithFeatureReportProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte splits the input into the firmware bytes and the bootloader's replies.
    const std::size_t firmwareLength = std::min<std::size_t>(data[0], size - 1);
    std::istringstream firmware(std::string(reinterpret_cast<const char*>(data) + 1, firmwareLength));
    TavFuzz::FuzzReplyTransport bootloader(
        std::span<const uint8_t>(data + 1 + firmwareLength, size - 1 - firmwareLength), 8);
    TavProtocol::UpgradeFirmwareWithFeatureReportProtocol upgrade(&firmware, std::make_unique<TavFuzz::NoWait>());
    try {
        upgrade.Execute(bootloader);
    } catch (const TavProtocol::ProtocolException&) {
    }
    return 0;
}
