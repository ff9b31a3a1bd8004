#pragma once

#include <functional>
#include <string>

#include "Tavelin/ReaderConfigurationStruct.h"

namespace TavCommon {

// One property of an HWG file: the key its line starts with, the comment written after "/ ", and
// the conversions between its value text and a reader configuration.
struct HwgPropertyEntry {
    std::string name;
    std::string description;
    // Applies a trimmed value text; throws ElvarinException for a text the field cannot hold.
    std::function<void(ReaderConfiguration&, const std::string&)> setter;
    std::function<std::string(const ReaderConfiguration&)> getter;
};

}  // namespace TavCommon
