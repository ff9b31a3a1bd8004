#pragma once

#include <cstdint>

namespace TavProtocol {

// A registered facade's address; 0 is never a valid handle.
using ProtocolHandle = uint64_t;

}  // namespace TavProtocol
