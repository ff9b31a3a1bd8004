#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace TavTest {

// A catalogue fuzzer's input names the row it runs: the row's name and a NUL, the argument byte,
// then the replies. A name, unlike a position, stays the same when a row is added, so the seeds
// of the rows already there stay what they were.
struct CatalogueFuzzInput {
    std::string_view rowName;
    uint8_t argument = 0;              // 0 when the input ends before it
    std::span<const uint8_t> replies;  // each a length byte and its bytes
};

inline CatalogueFuzzInput ReadCatalogueFuzzInput(std::span<const uint8_t> input) {
    const auto nameLength = static_cast<std::size_t>(std::find(input.begin(), input.end(), uint8_t{0}) - input.begin());
    CatalogueFuzzInput read;
    read.rowName = std::string_view(reinterpret_cast<const char*>(input.data()), nameLength);
    const auto rest = input.subspan(std::min(nameLength + 1, input.size()));
    if (!rest.empty()) {
        read.argument = rest.front();
        read.replies = rest.subspan(1);
    }
    return read;
}

// The head of a seed: the row's name, its NUL and argument 0; the replies follow.
inline std::vector<uint8_t> CatalogueSeedHead(std::string_view rowName) {
    std::vector<uint8_t> head(rowName.begin(), rowName.end());
    head.push_back(0);
    head.push_back(0);
    return head;
}

// The index of the row of that name among `count` rows. A mutated name that names no row still
// picks one, by its first byte, so arbitrary inputs reach every row.
template <typename NameAt>
std::size_t PickRow(std::size_t count, std::string_view rowName, NameAt nameAt) {
    for (std::size_t i = 0; i < count; ++i) {
        if (nameAt(i) == rowName) {
            return i;
        }
    }
    return rowName.empty() ? 0 : static_cast<uint8_t>(rowName.front()) % count;
}

}  // namespace TavTest
