#include "featureReport/BootloaderResponse.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

BootloaderResponse::BootloaderResponse(const std::vector<uint8_t>& reply) {
    const ReplyReader response(reply, fmt::format("Bootloader response must be 8 bytes long. Got {}", reply.size()),
                               TAV_CHECK_SITE);
    response.RequireExactly(8);
    if (const uint8_t first = response.Byte(0); first != 0x01) {
        TAV_THROW(ProtocolException, fmt::format("Bootloader response must start with 0x01. Got {}", first));
    }
    ReturnCode = response.Byte(1);
    if (ReturnCode != kReturnCodeOk && ReturnCode != kReturnCodeBadCheckByte &&
        ReturnCode != kReturnCodeBadSegmentRecord && ReturnCode != kReturnCodeNoReplies) {
        TAV_THROW(ProtocolException, fmt::format("Invalid return code {}", ReturnCode));
    }
    DelayClass = response.Byte(2);
    switch (DelayClass) {
    case kDelayShort:
        DelayMilliseconds = 2;
        break;
    case kDelayLong:
    case kDelayDefault:
        DelayMilliseconds = 80;
        break;
    case kDelayGiven:
        DelayMilliseconds = response.LittleEndian16(3);
        break;
    default:
        TAV_THROW(ProtocolException,
                  fmt::format("Invalid delay class when parsing bootloader response '{}'", DelayClass));
    }
}

}  // namespace TavProtocol
