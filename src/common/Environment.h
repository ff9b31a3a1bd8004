#pragma once

#include <string>

namespace TavCommon {

// True when the variable exists, also with an empty value.
bool IsEnvironmentVariableSet(const std::string& name);
// The variable's value; throws ElvarinException when it does not exist.
std::string GetEnvironmentVariable(const std::string& name);

}  // namespace TavCommon
