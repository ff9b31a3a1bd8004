#include "visitors/ConfigureModuleStateVisitor.h"

#include <cstdint>

#include "featureReport/ConfigureModuleStateWithFeatureReportProtocol.h"

namespace TavProtocol {

void ConfigureModuleStateVisitor::ValidateArguments() {
    if (static_cast<uint8_t>(module_) == 0) {
        TAV_THROW(ProtocolException, "Invalid ModuleId.");
    }
    if (action_ == ReaderModuleAction::Set && static_cast<uint8_t>(state_) == 0) {
        TAV_THROW(ProtocolException, "Invalid ReaderModuleState.");
    }
}

void ConfigureModuleStateVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    ConfigureModuleStateWithFeatureReportProtocol command(action_, module_, state_);
    command.Execute(transport);
    command.ValidateResponse();
    result_ = command.GetResult();
}

void ConfigureModuleStateVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void ConfigureModuleStateVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
