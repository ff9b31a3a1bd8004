#pragma once

#include <cstdint>

#include "core/CommandVisitor.h"
#include "records/GetCardDataSizeParameters.h"

namespace TavProtocol {

// Reads the bit count of one card read.
class GetCardBitCountVisitor : public CommandVisitor {
public:
    explicit GetCardBitCountVisitor(GetCardDataSizeParameters size) : size_(size) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    uint8_t GetResult() const { return bitCount_; }

private:
    GetCardDataSizeParameters size_;
    uint8_t bitCount_ = 0;
};

}  // namespace TavProtocol
