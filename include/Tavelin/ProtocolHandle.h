#pragma once

#include "Tavelin/Export.h"

#include <cstdint>

namespace TavProtocol {

// An opaque number from the process-wide handle counter, never reused; 0 is never a valid handle.
using ProtocolHandle = uint64_t;

}  // namespace TavProtocol
