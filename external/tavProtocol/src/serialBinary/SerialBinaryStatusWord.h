#pragma once

#include <cstdint>
#include <string_view>

namespace TavProtocol {

// The name a serial-binary status word SW1 SW2 goes by in failure messages; "UNKNOWN_ERROR" for a
// pair the protocol does not name.
std::string_view SerialBinaryStatusWordName(uint8_t sw1, uint8_t sw2);

}  // namespace TavProtocol
