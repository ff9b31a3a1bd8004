#pragma once

#include <set>
#include <string>

namespace TavTest {

// The names that are not among others, comma-separated, "" when there are none: a failed
// comparison of two lists names exactly what one of them lacks, however long they are.
inline std::string NamesNotIn(const std::set<std::string>& names, const std::set<std::string>& others) {
    std::string missing;
    for (const std::string& name : names) {
        if (!others.contains(name)) {
            missing += (missing.empty() ? "" : ", ") + name;
        }
    }
    return missing;
}

}  // namespace TavTest
