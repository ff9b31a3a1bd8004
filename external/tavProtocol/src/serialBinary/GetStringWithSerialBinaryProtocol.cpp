#include "serialBinary/GetStringWithSerialBinaryProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "core/UnreadableReplyException.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidAck = "Invalid ACK received from reader after Get String command";

bool StartsWith(const std::vector<uint8_t>& reply, uint8_t acknowledgement) {
    return ReplyReader(reply, kInvalidAck, TAV_CHECK_SITE).Matches(0, {acknowledgement});
}

// A reply without the acknowledgement: the status words the reader refuses a string with have
// their own texts, whichever phrase of the text they answer.
[[noreturn]] void FailWithStatusWord(const std::vector<uint8_t>& reply) {
    const ReplyReader reader(reply, kInvalidAck, TAV_CHECK_SITE);
    if (reader.Matches(0, {0x6B, 0x00})) {
        throw ProtocolException("Requested string is invalid - out of range for Get String command", TAV_SOURCE_FILE,
                                __LINE__, "ValidateResponse");
    }
    if (reader.Matches(0, {0x67, 0x00})) {
        throw ProtocolException("Provided index is invalid - out of range for Get String command", TAV_SOURCE_FILE,
                                __LINE__, "ValidateResponse");
    }
    throw UnreadableReplyException(kInvalidAck, TAV_SOURCE_FILE, __LINE__, "ValidateResponse");
}

}  // namespace

bool GetStringWithSerialBinaryProtocol::ReverseSeekNullTerminator(const std::vector<uint8_t>& reply) const {
    if (reply.empty()) {
        TAV_THROW(ProtocolException, "The byte array received by GetStringWithSerialBinaryProtocol is empty.");
    }
    return std::find(reply.rbegin(), reply.rend(), 0x00) != reply.rend();
}

bool GetStringWithSerialBinaryProtocol::HasCommandPhrase() {
    if (responsePhrases_.empty()) {
        return commandPhrasesProduced_ == 0;
    }
    const auto& last = responsePhrases_.back();
    const bool terminated = ReverseSeekNullTerminator(last);
    if (!StartsWith(last, kAck) || commandPhrasesProduced_ >= kMaxPhrases) {
        return false;
    }
    return !terminated;
}

std::vector<uint8_t> GetStringWithSerialBinaryProtocol::NextCommandPhrase() {
    const auto phrase = static_cast<uint8_t>(commandPhrasesProduced_++);
    return {0xFA, 0x0C, 0x04, static_cast<uint8_t>(index_), phrase};
}

void GetStringWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response received from the device.");
    }
    const auto& first = responsePhrases_.front();
    ReverseSeekNullTerminator(first);
    if (StartsWith(first, kAck)) {
        // Every reply of the text must carry the acknowledgement; the last one ends the text.
        for (const auto& reply : responsePhrases_) {
            ReverseSeekNullTerminator(reply);
            if (!StartsWith(reply, kAck)) {
                FailWithStatusWord(reply);
            }
        }
        if (!ReverseSeekNullTerminator(responsePhrases_.back())) {
            TAV_THROW(UnreadableReplyException,
                      "The response received from the device does not contain a null terminator.");
        }
        return;
    }
    FailWithStatusWord(first);
}

std::string GetStringWithSerialBinaryProtocol::GetResult() {
    std::string text;
    for (const auto& reply : responsePhrases_) {
        for (const uint8_t byte : reply) {
            if (byte == 0x00) {
                return text;
            }
            if (byte != kAck) {
                text.push_back(static_cast<char>(byte));
            }
        }
    }
    return text;
}

}  // namespace TavProtocol
