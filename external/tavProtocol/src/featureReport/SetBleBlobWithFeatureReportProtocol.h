#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/BleDataType.h"
#include "featureReport/BleBlobCommand.h"

namespace TavProtocol {

// Writes the reader's BLE data blob (three blocks of 128 bytes), key blob (one block of 128) or
// unencrypted key (one block of 16). Each block is configured, written in pieces of 4 bytes,
// stored, and polled until the reader has stored it.
class SetBleBlobWithFeatureReportProtocol : public BleBlobCommand {
public:
    // The data must be exactly the size of the data type's blob.
    SetBleBlobWithFeatureReportProtocol(TavCommon::BleDataType dataType, const std::vector<uint8_t>& data,
                                        int32_t pollIntervalMs, int32_t maxPollAttempts,
                                        std::unique_ptr<TavCommon::TimeDelay> timeDelay);

    void Execute(TavTransport::Transport& transport) override;
    // Every reply is checked during Execute.
    void ValidateResponse() const {}

private:
    void WriteBlock(TavTransport::Transport& transport, int32_t blockIndex, uint8_t wireBlock);

    uint8_t dataType_;
    std::vector<uint8_t> data_;
    std::size_t totalBytes_;
    int32_t blockCount_;
    int32_t writesPerBlock_;
};

}  // namespace TavProtocol
