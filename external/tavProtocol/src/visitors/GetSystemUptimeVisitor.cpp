#include "visitors/GetSystemUptimeVisitor.h"

#include "featureReport/GetSystemUptimeWithFeatureReportProtocol.h"
#include "serialBinary/GetSystemUptimeWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetSystemUptimeVisitor::ValidateArguments() {}

void GetSystemUptimeVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetSystemUptimeWithFeatureReportProtocol command;
    command.Execute(transport);
    uptime_ = command.GetResult();
}

void GetSystemUptimeVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetSystemUptimeVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetSystemUptimeWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    uptime_ = command.GetResult();
}

}  // namespace TavProtocol
