#include "visitors/LoadStoredDefaultsVisitor.h"

#include "featureReport/LoadStoredDefaultsWithFeatureReportProtocol.h"
#include "serialBinary/LoadStoredDefaultsWithSerialBinaryProtocol.h"

namespace TavProtocol {

void LoadStoredDefaultsVisitor::ValidateArguments() {}

void LoadStoredDefaultsVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    LoadStoredDefaultsWithFeatureReportProtocol command;
    command.Execute(transport);
}

void LoadStoredDefaultsVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void LoadStoredDefaultsVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    LoadStoredDefaultsWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    delay_->DelayMilliseconds(kSettleMilliseconds);
}

}  // namespace TavProtocol
