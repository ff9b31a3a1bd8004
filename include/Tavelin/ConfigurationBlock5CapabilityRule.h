#pragma once

#include "Tavelin/Export.h"

#include <string_view>

#include "Tavelin/CapabilityRule.h"

namespace Tav {

// Readers whose model text carries the marker (in any case) have no configuration block 5.
class TAV_API ConfigurationBlock5CapabilityRule : public CapabilityRule {
public:
    static constexpr std::string_view kModelMarkerWithoutBlock5 = "nb5";

    using CapabilityRule::CapabilityRule;
    bool Evaluate() const override;
};

}  // namespace Tav
