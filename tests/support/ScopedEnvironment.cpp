#include "support/ScopedEnvironment.h"

#include <cstdlib>

namespace TavTest {

namespace {

void Apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& variables) {
    for (const auto& [name, value] : variables) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
        Apply(name, value);
    }
}

ScopedEnvironment::~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
        Apply(name, value);
    }
}

}  // namespace TavTest
