#pragma once

#include <map>
#include <optional>
#include <string>

namespace TavTest {

// Sets (or, with std::nullopt, unsets) environment variables and restores them when it ends.
// Only for single-threaded tests: the environment is process-wide.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& variables);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace TavTest
