#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace TavProtocol {

// Every feature-report request phrase is 8 bytes; the bytes a command does not name are 0.
constexpr std::size_t kFeatureReportPhraseLength = 8;

inline std::vector<uint8_t> FeatureReportPhrase(std::initializer_list<uint8_t> leadingBytes) {
    std::vector<uint8_t> phrase(kFeatureReportPhraseLength, 0);
    std::copy_n(leadingBytes.begin(), std::min(leadingBytes.size(), phrase.size()), phrase.begin());
    return phrase;
}

}  // namespace TavProtocol
