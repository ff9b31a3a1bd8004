#include "visitors/GetCardAnalyzerDataVisitor.h"

#include "featureReport/GetCardAnalyzerDataWithFeatureReportProtocol.h"
#include "serialBinary/GetCardAnalyzerDataWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetCardAnalyzerDataVisitor::ValidateArguments() {
    if (cardCount_ <= 0) {
        TAV_THROW(ProtocolException, "Invalid card count specified");
    }
}

void GetCardAnalyzerDataVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetCardAnalyzerDataWithFeatureReportProtocol command(cardCount_, std::vector<CardAnalyzerData>(cardCount_));
    command.Execute(transport);
    command.ValidateResponse();
    records_ = command.GetResult();
}

void GetCardAnalyzerDataVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetCardAnalyzerDataVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetCardAnalyzerDataWithSerialBinaryProtocol command(cardCount_);
    command.Execute(transport);
    command.ValidateResponse();
    records_ = command.GetResult();
}

}  // namespace TavProtocol
