#include "featureReport/GetBleBlobWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include <string>
#include <utility>

#include "common/Logger.h"
#include "common/SourceLocation.h"
#include "core/ProtocolException.h"

namespace TavProtocol {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

constexpr uint8_t kOpcode = 0x10;
constexpr int32_t kReadsPerBlock = 32;
constexpr std::size_t kBytesPerRead = 4;
constexpr std::size_t kDataOffset = 4;
constexpr int kMaxSetupRetries = 3;

std::vector<uint8_t> SetupPhrase(uint8_t block) { return {0x89, kOpcode, 0x00, 0x00, 0x10, 0x01, 0x00, block}; }

std::vector<uint8_t> PollPhrase(uint8_t block) {
    return {0x89, kOpcode, 0x00, 0x00, 0x10, 0x01, 0x00, static_cast<uint8_t>(block | 0x80)};
}

std::vector<uint8_t> DataPhrase(int32_t index) {
    return {0x89, kOpcode, 0x00, static_cast<uint8_t>(index), 0x00, 0x00, 0x00, 0x00};
}

}  // namespace

GetBleBlobWithFeatureReportProtocol::GetBleBlobWithFeatureReportProtocol(
    TavCommon::BleDataType dataType, int32_t pollIntervalMs, int32_t maxPollAttempts,
    std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : BleBlobCommand("GetBleBlob", TAV_SOURCE_FILE, kOpcode, pollIntervalMs, maxPollAttempts, std::move(timeDelay)),
      dataType_(static_cast<uint8_t>(dataType)),
      totalBytes_(dataType_ == kDataTypeData ? 384 : 128),
      blockCount_(dataType_ == kDataTypeData ? 3 : 1) {
    if (dataType_ == kDataTypeUnencryptedKey) {
        TAV_THROW(ProtocolException,
                  "GetBleBlob does not support UnencryptedKey; Section 4 of the protocol is write-only");
    }
}

void GetBleBlobWithFeatureReportProtocol::Reset() {
    BleBlobCommand::Reset();
    data_.clear();
}

void GetBleBlobWithFeatureReportProtocol::Execute(TavTransport::Transport& transport) {
    Reset();
    transport.discardPendingInput();
    data_.reserve(static_cast<std::size_t>(totalBytes_));
    for (int32_t block = 0; block < blockCount_; ++block) {
        ReadBlock(transport, SelectBlock(dataType_, block));
    }
}

void GetBleBlobWithFeatureReportProtocol::ReadBlock(TavTransport::Transport& transport, uint8_t wireBlock) {
    for (int setupRetries = 0;; ++setupRetries) {
        SendWithRetry(transport, SetupPhrase(wireBlock), "GetBleBlob read setup");
        Delay().DelayMilliseconds(kAfterSetupMilliseconds);
        if (PollUntilReady(transport, PollPhrase(wireBlock), "GetBleBlob read poll", true)) {
            break;
        }
        if (setupRetries == kMaxSetupRetries) {
            Fail(fmt::format("GetBleBlob read poll: poll storm persisted after {} setup retries. The reader may not "
                             "have a BLE module installed.",
                             kMaxSetupRetries),
                 __LINE__, __func__);
        }
        TavCommon::Logger::Debug(logger, TavCommon::kProtocolCategory,
                                 "GetBleBlob read poll: poll storm detected, re-sending setup (attempt {}/{})",
                                 setupRetries + 1, kMaxSetupRetries + 1);
        Delay().DelayMilliseconds(kAfterSetupMilliseconds);
    }

    for (int32_t index = 1; index <= kReadsPerBlock; ++index) {
        const std::string label = "GetBleBlob read data index " + std::to_string(index);
        const std::vector<uint8_t> reply = SendWithRetry(transport, DataPhrase(index), label);
        // A reply that passed the return-code check may still be too short for its data.
        const auto bytes =
            Reader(reply, "Response too short during " + label, __LINE__, __func__).Bytes(kDataOffset, kBytesPerRead);
        data_.insert(data_.end(), bytes.begin(), bytes.end());
    }
}

void GetBleBlobWithFeatureReportProtocol::ValidateResponse() const {
    if (data_.size() != static_cast<std::size_t>(totalBytes_)) {
        TAV_THROW(ProtocolException, fmt::format("GetBleBlob expected {} bytes but got {}", totalBytes_, data_.size()));
    }
}

}  // namespace TavProtocol
