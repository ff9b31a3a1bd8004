#pragma once

#include <functional>
#include <memory>

#include "common/TimeDelay.h"

namespace TavCommon {

// The delay the facade hands to a visitor whose command waits: a plain TimeDelay, unless a test
// installed a creator of its own (internal: the shared library does not export it).
std::unique_ptr<TimeDelay> MakeTimeDelay();

using TimeDelayCreator = std::function<std::unique_ptr<TimeDelay>()>;

// MakeTimeDelay asks the creator first and uses its delay unless it returns none; an empty creator
// removes the override.
void SetTimeDelayCreatorOverride(TimeDelayCreator creator);

}  // namespace TavCommon
