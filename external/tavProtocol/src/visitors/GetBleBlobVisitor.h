#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "common/BleDataType.h"
#include "common/TimeDelay.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Reads a BLE blob of the reader's Bluetooth module. The data type goes to the command as given:
// the command knows the sizes and refuses the write-only type.
class GetBleBlobVisitor : public CommandVisitor {
public:
    // A null delay leaves the command its own.
    explicit GetBleBlobVisitor(TavCommon::BleDataType dataType, std::unique_ptr<TavCommon::TimeDelay> timeDelay = {})
        : dataType_(dataType), timeDelay_(std::move(timeDelay)) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    const std::vector<uint8_t>& GetResult() const { return data_; }

private:
    TavCommon::BleDataType dataType_;
    std::unique_ptr<TavCommon::TimeDelay> timeDelay_;
    std::vector<uint8_t> data_;
};

}  // namespace TavProtocol
