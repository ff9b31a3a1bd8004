#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string_view>

namespace TavTest {

// A fixed text field holds exactly `text`, followed by NUL bytes up to its last byte.
template <std::size_t Size>
testing::AssertionResult HoldsPaddedText(const char (&field)[Size], std::string_view text) {
    if (text.size() >= Size) {
        return testing::AssertionFailure()
               << "text of " << text.size() << " bytes cannot fit a " << Size << "-byte field";
    }
    if (std::string_view(field, text.size()) != text) {
        return testing::AssertionFailure()
               << "field starts \"" << std::string_view(field, text.size()) << "\", expected \"" << text << "\"";
    }
    for (std::size_t i = text.size(); i < Size; ++i) {
        if (field[i] != '\0') {
            return testing::AssertionFailure() << "byte " << i << " after the text is not NUL";
        }
    }
    return testing::AssertionSuccess();
}

}  // namespace TavTest
