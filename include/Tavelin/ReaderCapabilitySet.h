#pragma once

#include "Tavelin/Export.h"

#include <vector>

#include "Tavelin/ReaderCapability.h"

namespace Tav {

// The capabilities one operation needs, each once, in the order they were first added.
class TAV_API ReaderCapabilitySet {
public:
    ReaderCapabilitySet& WithRequiredCapability(ReaderCapability capability);
    std::vector<ReaderCapability> GetRequiredCapabilities() const;

private:
    std::vector<ReaderCapability> required_;
};

}  // namespace Tav
