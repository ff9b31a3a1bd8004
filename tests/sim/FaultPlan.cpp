#include "sim/FaultPlan.h"

#include <algorithm>
#include <utility>

namespace TavSim {

namespace {

bool Hits(const FaultTrigger& trigger, std::size_t phraseIndex, std::span<const uint8_t> commandPhrase) {
    if (trigger.phraseIndex) {
        return *trigger.phraseIndex == phraseIndex;
    }
    if (trigger.commandPrefix) {
        const auto& prefix = *trigger.commandPrefix;
        return prefix.size() <= commandPhrase.size() && std::equal(prefix.begin(), prefix.end(), commandPhrase.begin());
    }
    return false;
}

}  // namespace

void FaultPlan::Add(FaultTrigger trigger, Fault fault, int times) {
    armed_.push_back({std::move(trigger), fault, times});
}

std::optional<Fault> FaultPlan::Take(std::size_t phraseIndex, std::span<const uint8_t> commandPhrase) {
    for (auto it = armed_.begin(); it != armed_.end(); ++it) {
        if (it->remaining == 0 || !Hits(it->trigger, phraseIndex, commandPhrase)) {
            continue;
        }
        const Fault fault = it->fault;
        if (it->remaining > 0 && --it->remaining == 0) {
            armed_.erase(it);
        }
        return fault;
    }
    return std::nullopt;
}

}  // namespace TavSim
