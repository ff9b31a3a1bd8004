#include "common/TimeDelayFactory.h"

#include <mutex>
#include <utility>

namespace TavCommon {

namespace {

std::mutex overrideMutex;
TimeDelayCreator creatorOverride;

}  // namespace

std::unique_ptr<TimeDelay> MakeTimeDelay() {
    TimeDelayCreator creator;
    {
        const std::lock_guard lock(overrideMutex);
        creator = creatorOverride;
    }
    if (creator) {
        if (auto delay = creator()) {
            return delay;
        }
    }
    return std::make_unique<TimeDelay>();
}

void SetTimeDelayCreatorOverride(TimeDelayCreator creator) {
    const std::lock_guard lock(overrideMutex);
    creatorOverride = std::move(creator);
}

}  // namespace TavCommon
