#include "support/SanitizerRuntime.h"

#include <link.h>

#include <string_view>

namespace TavTest {

std::string SanitizerRuntime() {
    std::string runtime;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            const std::string_view name = info->dlpi_name != nullptr ? info->dlpi_name : "";
            const auto base = name.substr(name.rfind('/') + 1);
            if (base.starts_with("libasan.so") || base.starts_with("libtsan.so")) {
                *static_cast<std::string*>(data) = name;
                return 1;
            }
            return 0;
        },
        &runtime);
    return runtime;
}

}  // namespace TavTest
