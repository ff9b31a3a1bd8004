#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "sim/Fault.h"

namespace TavSim {

// The faults armed in one front end. Not locked: the front end keeps it under the reader's lock.
class FaultPlan {
public:
    static constexpr int kEveryTime = -1;

    // Arms a fault for the phrases the trigger names, for `times` phrases (every one by default).
    void Add(FaultTrigger trigger, Fault fault, int times = kEveryTime);
    void Clear() { armed_.clear(); }

    // The first armed fault that hits this phrase, used up once. `commandPhrase` is the phrase
    // that began the command (the phrase itself unless it continues an earlier one).
    std::optional<Fault> Take(std::size_t phraseIndex, std::span<const uint8_t> commandPhrase);

private:
    struct Armed {
        FaultTrigger trigger;
        Fault fault;
        int remaining;
    };

    std::vector<Armed> armed_;
};

}  // namespace TavSim
