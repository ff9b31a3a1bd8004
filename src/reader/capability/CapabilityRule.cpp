#include "Tavelin/CapabilityRule.h"

namespace Tav {

CapabilityRule::~CapabilityRule() = default;

bool CapabilityRule::Evaluate() const { return true; }

}  // namespace Tav
