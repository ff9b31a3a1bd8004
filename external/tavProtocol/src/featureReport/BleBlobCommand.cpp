#include "featureReport/BleBlobCommand.h"

#include <fmt/format.h>

#include <utility>

#include "common/Logger.h"
#include "core/ProtocolException.h"

namespace TavProtocol {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

constexpr uint8_t kCommand = 0x89;
constexpr uint16_t kReplyLength = 8;
constexpr int kAfterTransmitMilliseconds = 10;
constexpr int kMaxExchanges = 4;
constexpr int kRetryWaitMilliseconds = 25;
constexpr int kPollStormThreshold = 10;

constexpr uint8_t kKeyBlock = 0x10;
constexpr uint8_t kUnencryptedKeyBlock = 4;

// Return codes that no retry can mend.
const char* FatalCodeText(uint8_t code) {
    switch (code) {
    case 4:
        return "Previous operation interrupted during ";
    case 5:
        return "I/O error during ";
    case 12:
        return "Out of memory during ";
    case 22:
        return "Invalid argument during ";
    default:
        return nullptr;
    }
}

}  // namespace

BleBlobCommand::BleBlobCommand(const char* commandName, const char* sourceName, uint8_t opcode, int32_t pollIntervalMs,
                               int32_t maxPollAttempts, std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : commandName_(commandName),
      sourceName_(sourceName),
      opcode_(opcode),
      pollIntervalMs_(pollIntervalMs),
      maxPollAttempts_(maxPollAttempts),
      timeDelay_(timeDelay ? std::move(timeDelay) : std::make_unique<TavCommon::TimeDelay>()) {}

uint8_t BleBlobCommand::SelectBlock(uint8_t dataType, int32_t blockIndex) {
    if (dataType == kDataTypeData) {
        return static_cast<uint8_t>(blockIndex);
    }
    return dataType == kDataTypeUnencryptedKey ? kUnencryptedKeyBlock : kKeyBlock;
}

void BleBlobCommand::Fail(const std::string& message, int line, const char* function) const {
    throw ProtocolException(message, sourceName_, line, function);
}

ReplyReader BleBlobCommand::Reader(const std::vector<uint8_t>& reply, std::string failureMessage, int line,
                                   const char* function) const {
    return ReplyReader(reply, std::move(failureMessage), CheckSite{sourceName_, line, function});
}

void BleBlobCommand::FailDirectCall(const char* operation) const {
    Fail(fmt::format("{} uses Execute() override; {}() should not be called directly", commandName_, operation),
         __LINE__, operation);
}

bool BleBlobCommand::HasCommandPhrase() { FailDirectCall("HasCommandPhrase"); }

std::vector<uint8_t> BleBlobCommand::NextCommandPhrase() { FailDirectCall("NextCommandPhrase"); }

void BleBlobCommand::AddResponsePhrase(const std::vector<uint8_t>&) { FailDirectCall("AddResponsePhrase"); }

bool BleBlobCommand::ExpectsResponsePhrase() { FailDirectCall("ExpectsResponsePhrase"); }

std::vector<uint8_t> BleBlobCommand::SendAndReceive(TavTransport::Transport& transport,
                                                    const std::vector<uint8_t>& phrase) {
    TavTransport::TransportPayload payload{phrase, static_cast<uint16_t>(phrase.size()),
                                           TavTransport::ReportType::Feature};
    transport.transmit(payload);
    timeDelay_->DelayMilliseconds(kAfterTransmitMilliseconds);
    payload.length = kReplyLength;
    return transport.receive(payload);
}

uint8_t BleBlobCommand::CheckResponseCode(const std::vector<uint8_t>& reply, const std::string& label) const {
    // Command, opcode, return code.
    const ReplyReader response = Reader(reply, "Response too short during " + label, __LINE__, __func__);
    response.RequireAtLeast(3);
    if (!response.Matches(0, {kCommand, opcode_})) {
        Fail(fmt::format("Invalid response during {}: expected command 0x{:02X} and opcode 0x{:02X} but got 0x{:02X} "
                         "0x{:02X}. The reader may not support this command.",
                         label, kCommand, opcode_, response.Byte(0), response.Byte(1)),
             __LINE__, __func__);
    }
    const uint8_t code = response.Byte(2);
    if (const char* text = FatalCodeText(code)) {
        Fail(text + label, __LINE__, __func__);
    }
    return code;
}

std::vector<uint8_t> BleBlobCommand::SendWithRetry(TavTransport::Transport& transport,
                                                   const std::vector<uint8_t>& phrase, const std::string& label) {
    for (int retries = 0;; ++retries) {
        std::vector<uint8_t> reply = SendAndReceive(transport, phrase);
        const uint8_t code = CheckResponseCode(reply, label);
        if (code == kReturnCodeSuccess) {
            if (retries > 0) {
                TavCommon::Logger::Debug(logger, TavCommon::kProtocolCategory, "{}: succeeded after {} retry(ies)",
                                         label, retries);
            }
            return reply;
        }
        if (retries == kMaxExchanges - 1) {
            Fail(fmt::format("Transient error persisted after {} retries during {}. The reader may not have a BLE "
                             "module installed.",
                             retries, label),
                 __LINE__, __func__);
        }
        TavCommon::Logger::Debug(logger, TavCommon::kProtocolCategory,
                                 "{}: transient error rc=0x{:02X} on attempt {}/{}, retrying in {}ms", label, code,
                                 retries + 1, kMaxExchanges, kRetryWaitMilliseconds);
        timeDelay_->DelayMilliseconds(kRetryWaitMilliseconds);
    }
}

bool BleBlobCommand::PollUntilReady(TavTransport::Transport& transport, const std::vector<uint8_t>& phrase,
                                    const std::string& label, bool detectStorm) {
    const auto timedOut = [&] {
        Fail(fmt::format("Polling timed out after {} attempts during {}. The reader may not have a BLE module "
                         "installed.",
                         maxPollAttempts_, label),
             __LINE__, "PollUntilReady");
    };
    if (maxPollAttempts_ < 1) {
        timedOut();
    }
    int32_t consecutiveFailures = 0;
    for (int32_t attempts = 0;;) {
        const uint8_t code = CheckResponseCode(SendAndReceive(transport, phrase), label);
        if (code == kReturnCodeSuccess) {
            if (attempts > 0) {
                TavCommon::Logger::Debug(logger, TavCommon::kProtocolCategory,
                                         "{}: poll ready after {} extra attempt(s)", label, attempts);
            }
            return true;
        }
        if (detectStorm) {
            // Busy is the reader working on the block; anything else in a row means it lost the setup.
            consecutiveFailures = code == kReturnCodeBusy ? 0 : consecutiveFailures + 1;
            if (consecutiveFailures == kPollStormThreshold) {
                TavCommon::Logger::Debug(
                    logger, TavCommon::kProtocolCategory,
                    "{}: poll storm detected ({} consecutive non-busy failures, last rc=0x{:02X}), bailing out for "
                    "setup re-send",
                    label, kPollStormThreshold, code);
                return false;
            }
        }
        ++attempts;
        TavCommon::Logger::Debug(logger, TavCommon::kProtocolCategory,
                                 "{}: poll rc=0x{:02X} on attempt {}/{}, retrying in {}ms", label, code, attempts,
                                 maxPollAttempts_, pollIntervalMs_);
        timeDelay_->DelayMilliseconds(pollIntervalMs_);
        if (attempts >= maxPollAttempts_) {
            timedOut();
        }
    }
}

}  // namespace TavProtocol
