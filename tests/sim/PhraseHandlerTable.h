#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <vector>

#include "sim/PhraseExchange.h"

namespace TavSim {

// The commands one front end understands, keyed by the leading bytes of the request phrase
// (code, or code and sub-code, or the letters of an ASCII command). A phrase goes to the handler
// with the longest key it starts with.
class PhraseHandlerTable {
public:
    // Throws std::logic_error when the key is taken: two families must not claim one command.
    void Add(std::vector<uint8_t> key, PhraseHandler handler);
    const PhraseHandler* Find(std::span<const uint8_t> phrase) const;

private:
    // Orders keys and looks phrases up without copying them.
    struct KeyLess {
        using is_transparent = void;
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
        }
    };

    std::map<std::vector<uint8_t>, PhraseHandler, KeyLess> handlers_;
    std::size_t longestKey_ = 0;
};

// Fills a table while the program starts. One per command family, at namespace scope in the
// family's own file:
//   const TavSim::CommandRegistrar registrar(TavSim::FeatureReportCommands(), [](auto& table) { ... });
struct CommandRegistrar {
    CommandRegistrar(PhraseHandlerTable& table, const std::function<void(PhraseHandlerTable&)>& fill) { fill(table); }
};

}  // namespace TavSim
