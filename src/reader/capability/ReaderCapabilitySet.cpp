#include "Tavelin/ReaderCapabilitySet.h"

#include <algorithm>

namespace Tav {

ReaderCapabilitySet& ReaderCapabilitySet::WithRequiredCapability(ReaderCapability capability) {
    if (std::find(required_.begin(), required_.end(), capability) == required_.end()) {
        required_.push_back(capability);
    }
    return *this;
}

std::vector<ReaderCapability> ReaderCapabilitySet::GetRequiredCapabilities() const { return required_; }

}  // namespace Tav
