#include "Tavelin/BaudRateCapabilityRule.h"

namespace Tav {

// Every reader is taken to have a baud rate; the operation itself decides what it can do.
bool BaudRateCapabilityRule::Evaluate() const { return true; }

}  // namespace Tav
