#include "sim/Fault.h"

namespace TavSim {

std::optional<std::vector<uint8_t>> ApplyFault(const Fault& fault, std::optional<std::vector<uint8_t>> reply) {
    switch (fault.kind) {
    case FaultKind::NoReply:
        return std::nullopt;
    case FaultKind::ShortReply:
        if (reply && reply->size() > fault.length) {
            reply->resize(fault.length);
        }
        return reply;
    case FaultKind::CorruptByte:
        if (reply && fault.index < reply->size()) {
            (*reply)[fault.index] = fault.value;
        }
        return reply;
    case FaultKind::EndlessReply:
        return std::vector<uint8_t>(reply && !reply->empty() ? reply->size() : 8, fault.value);
    case FaultKind::TrailingBytes:
        if (reply) {
            reply->insert(reply->end(), fault.length, fault.value);
        }
        return reply;
    case FaultKind::WrongStatusWord:
    case FaultKind::LateReply:
    case FaultKind::PausedReply:
    case FaultKind::DeviceGone:
        break;
    }
    return reply;
}

}  // namespace TavSim
