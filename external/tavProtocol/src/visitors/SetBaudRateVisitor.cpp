#include "visitors/SetBaudRateVisitor.h"

#include <fmt/format.h>

#include <cstdint>

#include "serialBinary/SetBaudRateWithSerialBinaryProtocol.h"

namespace TavProtocol {

void SetBaudRateVisitor::ValidateArguments() {
    if (const auto code = static_cast<uint8_t>(baudRate_); code >= 5) {
        TAV_THROW(ProtocolException, fmt::format("Invalid baud rate specified for SetBaudRate command: 0x{:X}", code));
    }
}

void SetBaudRateVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kFeatureReportNotSupported);
}

void SetBaudRateVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetBaudRateVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetBaudRateWithSerialBinaryProtocol command(baudRate_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
