#include "visitors/SetCardAnalyzerControlVisitor.h"

#include <cstdint>

#include "featureReport/SetCardAnalyzerControlWithFeatureReportProtocol.h"
#include "serialBinary/SetCardAnalyzerControlWithSerialBinaryProtocol.h"

namespace TavProtocol {

void SetCardAnalyzerControlVisitor::ValidateArguments() {
    if (static_cast<uint8_t>(control_) >= 3) {
        TAV_THROW(ProtocolException, "Control command value is out of range");
    }
}

void SetCardAnalyzerControlVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetCardAnalyzerControlWithFeatureReportProtocol command(control_);
    command.Execute(transport);
    command.ValidateResponse();
}

void SetCardAnalyzerControlVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetCardAnalyzerControlVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetCardAnalyzerControlWithSerialBinaryProtocol command(control_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
