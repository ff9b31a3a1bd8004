#include "visitors/GetStringVisitor.h"

#include <fmt/format.h>

#include "featureReport/GetStringWithFeatureReportProtocol.h"
#include "serialBinary/GetStringWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetStringVisitor::ValidateArguments() {
    // The index is a byte: 0 and 9..255 are refused, and printed as such.
    const auto index = static_cast<uint8_t>(index_);
    if (static_cast<uint8_t>(index - 1) >= 8) {
        TAV_THROW(ProtocolException, fmt::format("Invalid GetStringIndex value: {}", static_cast<unsigned>(index)));
    }
}

void GetStringVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetStringWithFeatureReportProtocol command(index_);
    command.Execute(transport);
    command.ValidateResponse();
    text_ = command.GetResult();
}

void GetStringVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetStringVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetStringWithSerialBinaryProtocol command(index_);
    command.Execute(transport);
    command.ValidateResponse();
    text_ = command.GetResult();
}

}  // namespace TavProtocol
