// Bus paths come from sysfs names and from hosts: parsing never reads past the text, and what it
// accepts has a decimal bus number and a short port chain.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "transport/UsbSysfs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto location = TavTransport::UsbSysfs::ParseUsbBusPath(text);
    if (location && (location->devpath.empty() || location->devpath.size() > 63)) {
        std::abort();
    }
    return 0;
}
