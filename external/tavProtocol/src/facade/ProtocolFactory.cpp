#include "facade/ProtocolFactory.h"

#include <fmt/format.h>

#include "Tavelin/ReaderDefinition.h"
#include "common/ReaderDefinitionText.h"
#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportProtocol.h"
#include "mfp24/Mfp24Protocol.h"
#include "serialBinary/SerialBinaryProtocol.h"

namespace TavProtocol {

namespace {

// The record of this refusal names line 36 whatever the layout of this file.
constexpr int kInvalidTypeLine = 36;

}  // namespace

std::unique_ptr<Protocol> ProtocolFactory::GetProtocol(uint8_t protocolType) {
    switch (static_cast<TavCommon::ProtocolType>(protocolType)) {
    case TavCommon::ProtocolType::FeatureReport:
        return std::make_unique<FeatureReportProtocol>();
    case TavCommon::ProtocolType::Mfp24:
        return std::make_unique<Mfp24Protocol>();
    case TavCommon::ProtocolType::SerialBinary:
        return std::make_unique<SerialBinaryProtocol>();
    default:
        // The dummy type has a transport but no protocol, so it is refused here too.
        throw ProtocolException(fmt::format("Unable to initialize an underlying protocol object given invalid type {}",
                                            TavCommon::ProtocolTypeText(protocolType)),
                                TAV_SOURCE_FILE, kInvalidTypeLine, "GetProtocol");
    }
}

}  // namespace TavProtocol
