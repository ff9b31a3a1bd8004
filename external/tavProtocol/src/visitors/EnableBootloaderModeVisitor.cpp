#include "visitors/EnableBootloaderModeVisitor.h"

#include <cstdint>

#include "featureReport/EnableBootloaderModeWithFeatureReportProtocol.h"

namespace TavProtocol {

void EnableBootloaderModeVisitor::ValidateArguments() {
    if (static_cast<uint8_t>(module_) >= 3) {
        TAV_THROW(ProtocolException, "Invalid bootloader module specified.");
    }
}

void EnableBootloaderModeVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    EnableBootloaderModeWithFeatureReportProtocol command(module_, std::move(timeDelay_));
    command.Execute(transport);
    command.ParseResult();
}

void EnableBootloaderModeVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "EnableBootloaderMode is not supported for the MFP24 protocol.");
}

void EnableBootloaderModeVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "EnableBootloaderMode is not supported for the Serial Binary protocol.");
}

}  // namespace TavProtocol
