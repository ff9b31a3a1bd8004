#include "visitors/GetCardBitCountVisitor.h"

#include "common/Logger.h"
#include "featureReport/GetCardBitCountWithFeatureReportProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"

namespace TavProtocol {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

void GetCardBitCountVisitor::ValidateArguments() {
    if (static_cast<uint8_t>(static_cast<uint8_t>(size_) - 1) >= 2) {
        TAV_THROW(ProtocolException, "Size parameter must be between 0x01 and 0x02");
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
