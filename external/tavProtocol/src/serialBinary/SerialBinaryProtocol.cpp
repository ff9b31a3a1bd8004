#include "serialBinary/SerialBinaryProtocol.h"

#include <cstdio>
#include <exception>

#include "common/Logger.h"
#include "core/CommandVisitor.h"
#include "core/UnreadableReplyException.h"
#include "transport/Transport.h"

namespace TavProtocol {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

SerialBinaryProtocol::~SerialBinaryProtocol() {
    try {
        TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Deconstructing SerialBinaryProtocol");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Exception in ~SerialBinaryProtocol: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown exception in ~SerialBinaryProtocol\n");
    }
}

void SerialBinaryProtocol::Accept(CommandVisitor& visitor, TavTransport::Transport& transport) {
    try {
        visitor.Visit(*this, transport);
    } catch (const UnreadableReplyException&) {
        transport.replyUnreadable();
        throw;
    }
}

}  // namespace TavProtocol
