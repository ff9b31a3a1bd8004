#pragma once

#include <cstdint>

#include "records/TransparentModeState.h"
#include "records/TransparentModeStatus.h"

namespace TavProtocol {

// Transparent mode as the reader reports it; a reader without the mode gives Supported 0 and
// zero codes.
struct TransparentModeStatusInformation {
    uint8_t Supported = 0;
    TransparentModeState State{};
    TransparentModeStatus Status{};

    bool operator==(const TransparentModeStatusInformation&) const = default;
};
static_assert(sizeof(TransparentModeStatusInformation) == 3);

}  // namespace TavProtocol
