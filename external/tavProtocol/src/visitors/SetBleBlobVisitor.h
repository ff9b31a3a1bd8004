#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "common/BleDataType.h"
#include "common/TimeDelay.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Writes a BLE blob of the reader's Bluetooth module; the command checks that the data suits the
// data type.
class SetBleBlobVisitor : public CommandVisitor {
public:
    // A null delay leaves the command its own.
    SetBleBlobVisitor(TavCommon::BleDataType dataType, std::vector<uint8_t> data,
                      std::unique_ptr<TavCommon::TimeDelay> timeDelay = {})
        : dataType_(dataType), data_(std::move(data)), timeDelay_(std::move(timeDelay)) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

private:
    TavCommon::BleDataType dataType_;
    std::vector<uint8_t> data_;
    std::unique_ptr<TavCommon::TimeDelay> timeDelay_;
};

}  // namespace TavProtocol
