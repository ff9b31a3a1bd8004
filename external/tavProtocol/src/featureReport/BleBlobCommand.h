#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/TimeDelay.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// What the BLE blob read and write share: they run their own exchange instead of the phrase loop,
// and every exchange is one 8-byte phrase and one 8-byte reply whose byte 2 is a return code,
// with retries for transient codes and polling until the reader is ready.
//
// Failures name the concrete command as their source and the operation as their function.
class BleBlobCommand : public FeatureReportCommand {
public:
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override;

    // The polling the library runs the read and the write with: every 10 ms, up to 100 times.
    static constexpr int32_t kDefaultPollIntervalMs = 10;
    static constexpr int32_t kDefaultMaxPollAttempts = 100;

protected:
    // The data types as the wire knows them; every other value is the key blob.
    static constexpr uint8_t kDataTypeData = 1;
    static constexpr uint8_t kDataTypeUnencryptedKey = 3;
    static constexpr uint8_t kReturnCodeSuccess = 0;
    static constexpr uint8_t kReturnCodeBusy = 11;
    static constexpr int kAfterSetupMilliseconds = 30;

    // commandName is "GetBleBlob" or "SetBleBlob", sourceName the concrete class's source name.
    BleBlobCommand(const char* commandName, const char* sourceName, uint8_t opcode, int32_t pollIntervalMs,
                   int32_t maxPollAttempts, std::unique_ptr<TavCommon::TimeDelay> timeDelay);

    // The wire block of block index k: the index for the data blob, 4 for the unencrypted key,
    // 0x10 for the key blob.
    static uint8_t SelectBlock(uint8_t dataType, int32_t blockIndex);

    [[noreturn]] void Fail(const std::string& message, int line, const char* function) const;
    // A reply read of this command fails as Fail does.
    ReplyReader Reader(const std::vector<uint8_t>& reply, std::string failureMessage, int line,
                       const char* function) const;

    std::vector<uint8_t> SendAndReceive(TavTransport::Transport& transport, const std::vector<uint8_t>& phrase);
    uint8_t CheckResponseCode(const std::vector<uint8_t>& reply, const std::string& label) const;
    // Up to four exchanges while the return code is transient; returns the successful reply.
    std::vector<uint8_t> SendWithRetry(TavTransport::Transport& transport, const std::vector<uint8_t>& phrase,
                                       const std::string& label);
    // Polls until the return code is 0 (true). With detectStorm, ten non-busy failures in a row
    // end the polling early (false), so that the caller can set the block up again.
    bool PollUntilReady(TavTransport::Transport& transport, const std::vector<uint8_t>& phrase,
                        const std::string& label, bool detectStorm);

    TavCommon::TimeDelay& Delay() { return *timeDelay_; }

private:
    [[noreturn]] void FailDirectCall(const char* operation) const;

    const char* commandName_;
    const char* sourceName_;
    uint8_t opcode_;
    int32_t pollIntervalMs_;
    int32_t maxPollAttempts_;
    std::unique_ptr<TavCommon::TimeDelay> timeDelay_;
};

}  // namespace TavProtocol
