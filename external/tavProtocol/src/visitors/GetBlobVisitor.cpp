#include "visitors/GetBlobVisitor.h"

#include <fmt/format.h>

#include "featureReport/GetBlobWithFeatureReportProtocol.h"
#include "visitors/BlobLimits.h"

namespace TavProtocol {

void GetBlobVisitor::ValidateArguments() {
    if (header_.DataLength > kMaxBlobDataLength) {
        TAV_THROW(ProtocolException, fmt::format(kBlobTooLongMessage, header_.DataLength, kMaxBlobDataLength));
    }
}

void GetBlobVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    const int32_t pieces = BlobPieceCount(header_.DataLength);
    GetBlobWithFeatureReportProtocol command(header_, pieces);
    // The reader's echo of the descriptor is verified as it arrives.
    command.Execute(transport);
    std::vector<uint8_t> data;
    // An empty blob is the descriptor's echo alone: there is no piece to check.
    if (pieces > 0) {
        command.ValidateResponse();
        data = command.GetResult();
    }
    data_ = std::move(data);
}

void GetBlobVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

void GetBlobVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kSerialBinaryNotSupported);
}

}  // namespace TavProtocol
