#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/ExtendedConfiguration.h"

namespace TavFiles {

// The 128-byte image of an extended configuration that an HWG file can carry: one that encodes
// and decodes back to an equal value. Anything else would be saved as, or loaded into, something
// other than what it says.
struct ExtendedConfigurationImage {
    std::vector<uint8_t> bytes;  // empty when the configuration cannot travel
    std::optional<std::string> failure;

    static ExtendedConfigurationImage Of(const TavCommon::ExtendedConfiguration& configuration);
};

}  // namespace TavFiles
