#include "visitors/EnableTransparentModeVisitor.h"

#include <cstdint>

#include "featureReport/EnableTransparentModeWithFeatureReportProtocol.h"

namespace TavProtocol {

void EnableTransparentModeVisitor::ValidateArguments() {}

void EnableTransparentModeVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    EnableTransparentModeWithFeatureReportProtocol command(static_cast<uint8_t>(enable_ ? 1 : 0));
    command.Execute(transport);
    command.ValidateResponse();
}

void EnableTransparentModeVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void EnableTransparentModeVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
