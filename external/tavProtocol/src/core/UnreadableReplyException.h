#pragma once

#include "core/ProtocolException.h"

namespace TavProtocol {

// A reply its command could not read: too short or too long for it, or without the echo or status
// word where the command reads one. Every failed read and expectation of ReplyReader throws it. Its
// record is a ProtocolException's; the serial-binary protocol passes it on to the transport
// (Transport::replyUnreadable), since on a serial line the rest of that reply, or the one the
// command awaits, may still be on its way. A refusal the command can read is not one.
class UnreadableReplyException : public ProtocolException {
public:
    using ProtocolException::ProtocolException;
};

}  // namespace TavProtocol
