#include "visitors/SetBlobVisitor.h"

#include <fmt/format.h>

#include "featureReport/SetBlobWithFeatureReportProtocol.h"
#include "visitors/BlobLimits.h"

namespace TavProtocol {

void SetBlobVisitor::ValidateArguments() {
    if (data_.size() != header_.DataLength) {
        TAV_THROW(ProtocolException, "Blob data length does not match with datalength in header");
    }
    if (data_.size() > kMaxBlobDataLength) {
        TAV_THROW(ProtocolException, fmt::format(kBlobTooLongMessage, data_.size(), kMaxBlobDataLength));
    }
}

void SetBlobVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    // The command pads the data with zeros to whole pieces.
    SetBlobWithFeatureReportProtocol command(header_, data_);
    command.Execute(transport);
    command.ValidateResponse();
}

void SetBlobVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void SetBlobVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
