#pragma once

#include <cstdint>
#include <vector>

#include "common/BlobHeader.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads the blob a header describes, in pieces of 4 bytes: the result holds every piece whole, up
// to 3 bytes more than the header's data length.
class GetBlobVisitor : public CommandVisitor {
public:
    explicit GetBlobVisitor(const TavCommon::BlobHeader& header) : header_(header) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    const std::vector<uint8_t>& GetResult() const { return data_; }

private:
    TavCommon::BlobHeader header_;
    std::vector<uint8_t> data_;
};

}  // namespace TavProtocol
