#include "visitors/GetPartNumberVisitor.h"

#include "featureReport/GetPartNumberWithFeatureReportProtocol.h"
#include "mfp24/GetPartNumberWithMfp24Protocol.h"
#include "serialBinary/GetPartNumberWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetPartNumberVisitor::ValidateArguments() {}

void GetPartNumberVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetPartNumberWithFeatureReportProtocol command;
    command.Execute(transport);
    partNumber_ = command.GetResult();
}

void GetPartNumberVisitor::Visit(Mfp24Protocol&, TavTransport::Transport& transport) {
    GetPartNumberWithMfp24Protocol command;
    command.Execute(transport);
    command.ValidateResponse();
    partNumber_ = command.GetResult();
}

void GetPartNumberVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetPartNumberWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    partNumber_ = command.GetResult();
}

}  // namespace TavProtocol
