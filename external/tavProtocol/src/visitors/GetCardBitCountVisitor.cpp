#include "visitors/GetCardBitCountVisitor.h"

#include "common/Logger.h"
#include "featureReport/GetCardBitCountWithFeatureReportProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"

namespace TavProtocol {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

void GetCardBitCountVisitor::ValidateArguments() {
    if (!IsKnownCardDataSize(size_)) {
        TAV_THROW(ProtocolException, kUnknownCardDataSizeMessage);
    }
}

// The feature-report reader reports the bit count on its own; the size only has to be valid.
void GetCardBitCountVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetCardBitCountWithFeatureReportProtocol command;
    command.Execute(transport);
    bitCount_ = command.GetResult();
}

void GetCardBitCountVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetCardBitCountVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    TavCommon::Logger::Warn(logger, TavCommon::kProtocolCategory,
                            "GetCardBitCount with SerialBinaryProtocol discards card data. Use GetCardReadPayload for "
                            "efficiency.");
    ValidateArguments();
    GetCardDataWithSerialBinaryProtocol command(size_);
    command.Execute(transport);
    command.ValidateResponse();
    bitCount_ = command.GetBitCount();
}

}  // namespace TavProtocol
