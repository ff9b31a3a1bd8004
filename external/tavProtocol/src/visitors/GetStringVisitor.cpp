#include "visitors/GetStringVisitor.h"

#include <fmt/format.h>

#include "featureReport/GetStringWithFeatureReportProtocol.h"
#include "serialBinary/GetStringWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetStringVisitor::ValidateArguments() {
    // The reader holds strings 1 to 8; the index is a byte and is printed as one.
    constexpr uint8_t kFirstIndex = 1;
    constexpr uint8_t kLastIndex = 8;
    const auto index = static_cast<uint8_t>(index_);
    if (index < kFirstIndex || index > kLastIndex) {
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
