#pragma once

#include <vector>

#include "files/HwgPropertySection.h"

namespace TavCommon {

// The properties of an HWG file, in the order the file holds them: 13 sections, 56 properties.
// Built from one table of rows (section, name, comment, kind, field, width), so a property's
// place, text and field are stated once.
class HwgPropertyMapping {
public:
    // A freshly built copy of the table.
    static std::vector<HwgPropertySection> createPropertyMappings();
    // The process-wide table, built on first use and only read afterwards.
    static const std::vector<HwgPropertySection>& Mappings();
};

}  // namespace TavCommon
