#include "Tavelin/TransparentModeCapabilityRule.h"

namespace Tav {

namespace {
// The installed flag of the Legic radio.
constexpr int kLegicInstalledFlag = 13;
}  // namespace

bool TransparentModeCapabilityRule::Evaluate() const {
    return metadata_.InstalledHardware[kLegicInstalledFlag] != 0 && metadata_.TransparentModeFlag != 0;
}

}  // namespace Tav
