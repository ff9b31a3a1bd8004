#include "visitors/GetBaudRateVisitor.h"

#include "serialBinary/GetBaudRateWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetBaudRateVisitor::ValidateArguments() {}

void GetBaudRateVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kFeatureReportNotSupported);
}

void GetBaudRateVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetBaudRateVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetBaudRateWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    baudRate_ = command.GetResult();
}

}  // namespace TavProtocol
