#pragma once

#include <cstdint>
#include <vector>

#include "core/CommandVisitor.h"
#include "records/GetCardDataSizeParameters.h"

namespace TavProtocol {

// Reads the card bytes of one card read (32 bytes, zero behind what the read yields).
class GetCardDataVisitor : public CommandVisitor {
public:
    explicit GetCardDataVisitor(GetCardDataSizeParameters size) : size_(size) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    std::vector<uint8_t> GetResult() const { return cardData_; }

private:
    GetCardDataSizeParameters size_;
    std::vector<uint8_t> cardData_;
};

}  // namespace TavProtocol
