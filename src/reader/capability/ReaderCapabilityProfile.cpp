#include "Tavelin/ReaderCapabilityProfile.h"

#include <utility>

namespace Tav {

ReaderCapabilityProfile::~ReaderCapabilityProfile() = default;

bool ReaderCapabilityProfile::HasCapability(ReaderCapability capability) const {
    const auto found = rules_.find(capability);
    return found != rules_.end() && found->second && found->second->Evaluate();
}

bool ReaderCapabilityProfile::IsCapableOf(const ReaderCapabilitySet& set) const {
    for (const ReaderCapability capability : set.GetRequiredCapabilities()) {
        if (!HasCapability(capability)) {
            return false;
        }
    }
    return true;
}

void ReaderCapabilityProfile::RegisterRule(ReaderCapability capability, std::unique_ptr<CapabilityRule> rule) {
    rules_[capability] = std::move(rule);
}

void ReaderCapabilityProfile::ClearRules() { rules_.clear(); }

std::vector<ReaderCapability> ReaderCapabilityProfile::GetUnsupportedCapabilities(
    const ReaderCapabilitySet& set) const {
    std::vector<ReaderCapability> unsupported;
    for (const ReaderCapability capability : set.GetRequiredCapabilities()) {
        if (!HasCapability(capability)) {
            unsupported.push_back(capability);
        }
    }
    return unsupported;
}

}  // namespace Tav
