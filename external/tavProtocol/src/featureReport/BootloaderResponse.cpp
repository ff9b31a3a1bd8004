#include "featureReport/BootloaderResponse.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"

namespace TavProtocol {

BootloaderResponse::BootloaderResponse(const std::vector<uint8_t>& reply) {
    if (reply.size() != 8) {
        TAV_THROW(ProtocolException, fmt::format("Bootloader response must be 8 bytes long. Got {}", reply.size()));
    }
    if (reply[0] != 0x01) {
        TAV_THROW(ProtocolException, fmt::format("Bootloader response must start with 0x01. Got {}", reply[0]));
    }
    ReturnCode = reply[1];
    if (ReturnCode != kReturnCodeOk && ReturnCode != kReturnCodeBadCheckByte &&
        ReturnCode != kReturnCodeBadSegmentRecord && ReturnCode != kReturnCodeNoReplies) {
        TAV_THROW(ProtocolException, fmt::format("Invalid return code {}", ReturnCode));
    }
    DelayClass = reply[2];
    switch (DelayClass) {
    case kDelayShort:
        DelayMilliseconds = 2;
        break;
    case kDelayLong:
    case kDelayDefault:
        DelayMilliseconds = 80;
        break;
    case kDelayGiven:
        DelayMilliseconds = static_cast<uint16_t>(reply[3] | (reply[4] << 8));
        break;
    default:
        TAV_THROW(ProtocolException,
                  fmt::format("Invalid delay class when parsing bootloader response '{}'", DelayClass));
    }
}

}  // namespace TavProtocol
