#include "visitors/GetCardDataVisitor.h"

#include "common/Logger.h"
#include "featureReport/GetCardDataWithFeatureReportProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"

namespace TavProtocol {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

void GetCardDataVisitor::ValidateArguments() {
    if (!IsKnownCardDataSize(size_)) {
        TAV_THROW(ProtocolException, kUnknownCardDataSizeMessage);
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
