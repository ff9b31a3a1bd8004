// Bus paths come from sysfs names and from hosts, device numbers from sysfs attributes: parsing
// never reads past the text; an accepted bus path has a decimal bus number and a short port chain,
// accepted device numbers are two runs of digits joined by one colon, with at most one newline after.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transport/UsbSysfs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto location = TavTransport::UsbSysfs::ParseUsbBusPath(text);
    if (location && (location->devpath.empty() || location->devpath.size() > 63)) {
        std::abort();
    }
    if (TavTransport::UsbSysfs::ParseDeviceNumbers(text)) {
        const std::string_view numbers(text.data(), text.ends_with('\n') ? text.size() - 1 : text.size());
        const auto colon = numbers.find(':');
        const bool digitsAround = colon != 0 && colon + 1 < numbers.size() &&
                                  std::all_of(numbers.begin(), numbers.end(), [&](char c) {
                                      return c == ':' || std::isdigit(static_cast<unsigned char>(c)) != 0;
                                  }) &&
                                  std::count(numbers.begin(), numbers.end(), ':') == 1;
        if (!digitsAround) {
            std::abort();
        }
    }
    return 0;
}
