#include "featureReport/SetBleBlobWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include <string>
#include <utility>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"

namespace TavProtocol {

namespace {

constexpr uint8_t kOpcode = 0x90;
constexpr std::size_t kBytesPerWrite = 4;
constexpr uint8_t kStoreIndex = 0xFF;
constexpr int kAfterStoreMilliseconds = 100;
constexpr int kAfterBlockMilliseconds = 100;

std::vector<uint8_t> ConfigurationPhrase(uint8_t blockLength, uint8_t block) {
    return {0x89, kOpcode, 0x00, 0x00, 0x11, 0x01, blockLength, block};
}

std::vector<uint8_t> StorePhrase(uint8_t block) { return {0x89, kOpcode, 0x00, kStoreIndex, 0x00, 0x00, 0x00, block}; }

std::vector<uint8_t> StorePollPhrase(uint8_t block) {
    return {0x89, kOpcode, 0x00, kStoreIndex, 0x00, 0x00, 0x00, static_cast<uint8_t>(block | 0x80)};
}

}  // namespace

SetBleBlobWithFeatureReportProtocol::SetBleBlobWithFeatureReportProtocol(
    TavCommon::BleDataType dataType, const std::vector<uint8_t>& data, int32_t pollIntervalMs, int32_t maxPollAttempts,
    std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : BleBlobCommand("SetBleBlob", TAV_SOURCE_FILE, kOpcode, pollIntervalMs, maxPollAttempts, std::move(timeDelay)),
      dataType_(static_cast<uint8_t>(dataType)),
      data_(data),
      totalBytes_(dataType_ == kDataTypeData             ? 384
                  : dataType_ == kDataTypeUnencryptedKey ? 16
                                                         : 128),
      blockCount_(dataType_ == kDataTypeData ? 3 : 1),
      writesPerBlock_(dataType_ == kDataTypeUnencryptedKey ? 4 : 32) {
    if (data_.size() != totalBytes_) {
        TAV_THROW(ProtocolException,
                  fmt::format("Data size must be {} bytes for the specified BLE data type", totalBytes_));
    }
}

void SetBleBlobWithFeatureReportProtocol::Execute(TavTransport::Transport& transport) {
    Reset();
    transport.discardPendingInput();
    for (int32_t block = 0; block < blockCount_; ++block) {
        WriteBlock(transport, block, SelectBlock(dataType_, block));
        Delay().DelayMilliseconds(kAfterBlockMilliseconds);
    }
}

void SetBleBlobWithFeatureReportProtocol::WriteBlock(TavTransport::Transport& transport, int32_t blockIndex,
                                                     uint8_t wireBlock) {
    const std::size_t blockBytes = static_cast<std::size_t>(writesPerBlock_) * kBytesPerWrite;
    SendWithRetry(transport, ConfigurationPhrase(static_cast<uint8_t>(blockBytes), wireBlock),
                  "SetBleBlob write config params");
    const auto blockData =
        data_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(blockIndex) * blockBytes);
    for (int32_t index = 1; index <= writesPerBlock_; ++index) {
        const auto piece =
            blockData + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(index - 1) * kBytesPerWrite);
        const std::vector<uint8_t> phrase{0x89,     kOpcode,  0x00,     static_cast<uint8_t>(index),
                                          piece[0], piece[1], piece[2], piece[3]};
        SendWithRetry(transport, phrase, "SetBleBlob write data index " + std::to_string(index));
    }
    SendWithRetry(transport, StorePhrase(wireBlock), "SetBleBlob start store");
    Delay().DelayMilliseconds(kAfterStoreMilliseconds);
    PollUntilReady(transport, StorePollPhrase(wireBlock), "SetBleBlob store poll", false);
}

}  // namespace TavProtocol
