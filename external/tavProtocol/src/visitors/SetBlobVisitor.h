#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "common/BlobHeader.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Writes the blob a header describes; the data must be exactly the header's data length.
class SetBlobVisitor : public CommandVisitor {
public:
    SetBlobVisitor(const TavCommon::BlobHeader& header, std::vector<uint8_t> data)
        : header_(header), data_(std::move(data)) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    TavCommon::BlobHeader header_;
    std::vector<uint8_t> data_;
};

}  // namespace TavProtocol
