#pragma once

#include "reader/capability/CapabilityRule.h"

namespace Tav {

class TAV_API TransparentModeCapabilityRule : public CapabilityRule {
public:
    using CapabilityRule::CapabilityRule;
    bool Evaluate() const override;
};

}  // namespace Tav
