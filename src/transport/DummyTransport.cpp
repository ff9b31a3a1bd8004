#include "transport/DummyTransport.h"

#include "common/Logger.h"
#include "common/ReaderDefinitionText.h"
#include "transport/PayloadText.h"

namespace TavTransport {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

DummyTransport::~DummyTransport() {
    try {
        TavCommon::Logger::Debug(logger, TavCommon::kTransportCategory, "DummyTransport destructor called");
    } catch (...) {
        // A destructor must not throw; a lost log line is all that fails here.
    }
}

void DummyTransport::init(uint32_t retryCount) {
    using TavCommon::Logger;
    Logger::Debug(logger, TavCommon::kTransportCategory, "DummyTransport init called with retry count {}", retryCount);
    Logger::Trace(logger, TavCommon::kTransportCategory, "Configuration provided by user: ");
    if (!logger || !logger->IsLevelEnabled(TavCommon::kTransportCategory, Logger::TraceLevel)) {
        return;
    }
    if (const auto text = TavCommon::FormatReaderDefinition(readerDefinition_)) {
        Logger::Trace(logger, TavCommon::kTransportCategory, "{}", *text);
    } else {
        Logger::Trace(logger, TavCommon::kTransportCategory, "Failed to log ReaderDefinition");
    }
}

std::vector<uint8_t> DummyTransport::receive(TransportPayload& payload) {
    TavCommon::Logger::Debug(logger, TavCommon::kTransportCategory,
                             "DummyTransport receive called expecting payload of size {}. Returning empty vector.",
                             payload.data.size());
    return {};
}

void DummyTransport::transmit(TransportPayload& payload) {
    using TavCommon::Logger;
    Logger::Debug(logger, TavCommon::kTransportCategory, "Transmit called with payload of size {}",
                  payload.data.size());
    Logger::Trace(logger, TavCommon::kTransportCategory, "Transmission would include {} bytes: [{}]", payload.length,
                  HexBytes{payload.data, ", "});
    Logger::Trace(logger, TavCommon::kTransportCategory, "ASCII => [{}]", AsciiBytes{payload.data});
}

}  // namespace TavTransport
