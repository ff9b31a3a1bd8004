#include "visitors/GetCardAnalyzerStatusVisitor.h"

#include "featureReport/GetCardAnalyzerStatusWithFeatureReportProtocol.h"
#include "serialBinary/GetCardAnalyzerStatusWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetCardAnalyzerStatusVisitor::ValidateArguments() {}

// The feature-report command checks its reply inside GetResult.
void GetCardAnalyzerStatusVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetCardAnalyzerStatusWithFeatureReportProtocol command;
    command.Execute(transport);
    status_ = command.GetResult();
}

void GetCardAnalyzerStatusVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetCardAnalyzerStatusVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetCardAnalyzerStatusWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    status_ = command.GetResult();
}

}  // namespace TavProtocol
