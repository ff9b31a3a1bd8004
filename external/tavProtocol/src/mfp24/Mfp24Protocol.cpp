#include "mfp24/Mfp24Protocol.h"

#include <cstdio>
#include <exception>

#include "common/Logger.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

Mfp24Protocol::~Mfp24Protocol() {
    try {
        TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Deconstructing Mfp24Protocol");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Exception in ~Mfp24Protocol: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown exception in ~Mfp24Protocol\n");
    }
}

void Mfp24Protocol::Accept(CommandVisitor& visitor, TavTransport::Transport& transport) {
    visitor.Visit(*this, transport);
}

}  // namespace TavProtocol
