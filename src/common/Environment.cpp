#include "common/Environment.h"

#include <cstdlib>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

bool IsEnvironmentVariableSet(const std::string& name) { return std::getenv(name.c_str()) != nullptr; }

std::string GetEnvironmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        TAV_THROW(ElvarinException, "Environment variable not set");
    }
    return value;
}

}  // namespace TavCommon
