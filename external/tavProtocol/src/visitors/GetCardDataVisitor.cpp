#include "visitors/GetCardDataVisitor.h"

#include "common/Logger.h"
#include "featureReport/GetCardDataWithFeatureReportProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"

namespace TavProtocol {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

void GetCardDataVisitor::ValidateArguments() {
    if (static_cast<uint8_t>(static_cast<uint8_t>(size_) - 1) >= 2) {
        TAV_THROW(ProtocolException, "Size parameter must be between 0x01 and 0x02");
    }
}

void GetCardDataVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetCardDataWithFeatureReportProtocol command(size_);
    command.Execute(transport);
    cardData_ = command.GetResult();
}

void GetCardDataVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetCardDataVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    TavCommon::Logger::Warn(logger, TavCommon::kProtocolCategory,
                            "GetCardData with SerialBinaryProtocol discards bit count. Use GetCardReadPayload for "
                            "efficiency.");
    ValidateArguments();
    GetCardDataWithSerialBinaryProtocol command(size_);
    command.Execute(transport);
    command.ValidateResponse();
    cardData_ = command.GetResult();
}

}  // namespace TavProtocol
