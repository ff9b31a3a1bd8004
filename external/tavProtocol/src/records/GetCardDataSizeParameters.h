#pragma once

// Hosts see this record too: it is defined with the public header.
#include "Tavelin/GetCardDataSizeParameters.h"

namespace TavProtocol {

// A host passes the size as a plain byte; only the two sizes a reader knows are sent to it.
constexpr bool IsKnownCardDataSize(GetCardDataSizeParameters size) {
    return size == GetCardDataSizeParameters::Short || size == GetCardDataSizeParameters::Long;
}
inline constexpr const char* kUnknownCardDataSizeMessage = "Size parameter must be between 0x01 and 0x02";

}  // namespace TavProtocol
