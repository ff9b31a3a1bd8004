#pragma once

#include <string>
#include <vector>

#include "files/HwgPropertyEntry.h"

namespace TavCommon {

// A section of an HWG file: written as the line "/ " + name, then its properties. The last
// section has no name: its properties select the card and are written differently.
struct HwgPropertySection {
    std::string name;
    std::vector<HwgPropertyEntry> properties;
};

}  // namespace TavCommon
