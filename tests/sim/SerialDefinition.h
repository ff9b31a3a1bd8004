#pragma once

#include <cstdint>
#include <string_view>

#include "Tavelin/ReaderDefinition.h"

namespace TavTest {

// A serial-binary reader on the named tty: 8N1, no flow control, at the given rate.
TavCommon::ReaderDefinition SerialDefinition(std::string_view portName, uint32_t baudRate = 250000);

}  // namespace TavTest
