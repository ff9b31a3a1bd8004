#include "sim/PhraseHandlerTable.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace TavSim {

void PhraseHandlerTable::Add(std::vector<uint8_t> key, PhraseHandler handler) {
    if (key.empty() || !handler) {
        throw std::logic_error("a simulated command needs a key and a handler");
    }
    const std::size_t size = key.size();
    if (!handlers_.emplace(std::move(key), std::move(handler)).second) {
        throw std::logic_error("two simulated commands claim the same key");
    }
    longestKey_ = std::max(longestKey_, size);
}

const PhraseHandler* PhraseHandlerTable::Find(std::span<const uint8_t> phrase) const {
    for (std::size_t length = std::min(phrase.size(), longestKey_); length > 0; --length) {
        if (const auto found = handlers_.find(phrase.first(length)); found != handlers_.end()) {
            return &found->second;
        }
    }
    return nullptr;
}

}  // namespace TavSim
