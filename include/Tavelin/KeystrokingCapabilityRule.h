#pragma once

#include "Tavelin/Export.h"

#include "Tavelin/CapabilityRule.h"

namespace Tav {

class TAV_API KeystrokingCapabilityRule : public CapabilityRule {
public:
    using CapabilityRule::CapabilityRule;
    bool Evaluate() const override;
};

}  // namespace Tav
