#pragma once

#include <cstdint>

namespace TavProtocol {

// The MIFARE writer's status word, as the reader reports it.
using MifareWriterStatus = uint32_t;

}  // namespace TavProtocol
