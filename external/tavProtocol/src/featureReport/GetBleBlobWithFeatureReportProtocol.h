#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/BleDataType.h"
#include "featureReport/BleBlobCommand.h"

namespace TavProtocol {

// Reads the reader's BLE data blob (three blocks of 128 bytes) or key blob (one block). Each block
// is set up, polled until the reader has it ready, then read in 32 pieces of 4 bytes.
class GetBleBlobWithFeatureReportProtocol : public BleBlobCommand {
public:
    // The unencrypted key cannot be read back and is refused here.
    GetBleBlobWithFeatureReportProtocol(TavCommon::BleDataType dataType, int32_t pollIntervalMs,
                                        int32_t maxPollAttempts, std::unique_ptr<TavCommon::TimeDelay> timeDelay);

    void Reset() override;
    void Execute(TavTransport::Transport& transport) override;

    void ValidateResponse() const;
    std::vector<uint8_t> GetResult() const { return data_; }

private:
    void ReadBlock(TavTransport::Transport& transport, uint8_t wireBlock);

    uint8_t dataType_;
    int32_t totalBytes_;
    int32_t blockCount_;
    std::vector<uint8_t> data_;
};

}  // namespace TavProtocol
