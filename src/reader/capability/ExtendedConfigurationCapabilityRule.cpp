#include "Tavelin/ExtendedConfigurationCapabilityRule.h"

namespace Tav {

bool ExtendedConfigurationCapabilityRule::Evaluate() const { return metadata_.SupportsExtendedMode != 0; }

}  // namespace Tav
