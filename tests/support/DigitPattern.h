#pragma once

#include <cctype>
#include <string_view>

namespace TavTest {

// True when text has the shape of pattern, in which '#' stands for any decimal digit and every
// other character for itself. (std::regex trips gcc 12's warnings under the sanitizers.)
inline bool MatchesDigitPattern(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == '#' ? !digit : text[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace TavTest
