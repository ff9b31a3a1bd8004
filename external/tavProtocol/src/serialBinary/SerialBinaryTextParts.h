#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/CheckSite.h"

namespace TavProtocol {

// Texts the reader sends in parts (the ESN, the part number): every reply is the command's
// acknowledgement byte, then characters padded with zero bytes.

// Fails at `site` on the first reply that is empty or does not start with the acknowledgement.
void CheckTextPartsAcknowledged(const std::vector<std::vector<uint8_t>>& replies, uint8_t acknowledgement,
                                const char* invalidAcknowledgement, CheckSite site);

// The characters of every part in order, the padding left out; an empty part adds nothing.
std::string JoinTextParts(const std::vector<std::vector<uint8_t>>& replies, CheckSite site);

}  // namespace TavProtocol
