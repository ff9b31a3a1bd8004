#pragma once

#include "Tavelin/Export.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "Tavelin/CapabilityRule.h"
#include "Tavelin/ReaderCapability.h"
#include "Tavelin/ReaderCapabilitySet.h"
#include "Tavelin/ReaderMetadataStruct.h"

namespace Tav {

// Which capabilities a reader has: one rule per capability, none meaning "not supported". The
// profile has no lock of its own: its reader asks it under the reader's object mutex, which a host
// cannot take, so a host registers its own rules while no other thread is in one of the reader's
// operations.
class TAV_API ReaderCapabilityProfile {
public:
    explicit ReaderCapabilityProfile(const ReaderMetadataStruct& metadata) : metadata_(metadata) {}
    virtual ~ReaderCapabilityProfile();
    ReaderCapabilityProfile(const ReaderCapabilityProfile&) = delete;
    ReaderCapabilityProfile& operator=(const ReaderCapabilityProfile&) = delete;

    virtual bool HasCapability(ReaderCapability capability) const;
    // True when every capability of the set is there (an empty set always is).
    virtual bool IsCapableOf(const ReaderCapabilitySet& set) const;

    // Replaces the rule registered for the capability, if any.
    void RegisterRule(ReaderCapability capability, std::unique_ptr<CapabilityRule> rule);
    void ClearRules();
    // The set's capabilities that are missing, in the set's order.
    std::vector<ReaderCapability> GetUnsupportedCapabilities(const ReaderCapabilitySet& set) const;

protected:
    const ReaderMetadataStruct& metadata_;

private:
    std::unordered_map<ReaderCapability, std::unique_ptr<CapabilityRule>> rules_;
};

}  // namespace Tav
