#include "serialBinary/GetQueuedIdWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

// Acknowledgement, eight bytes of the queued ID, the status word.
constexpr std::size_t kReplyLength = 11;
constexpr const char* kIncomplete =
    "GetQueuedIdWithSerialBinaryProtocol::GetResult called before all response phrases were added";

}  // namespace

std::vector<uint8_t> GetQueuedIdWithSerialBinaryProtocol::NextCommandPhrase() {
    const auto part = static_cast<uint8_t>(commandPhrasesProduced_++);
    return {0xFA, 0x0C, 0x02, part, part == kParts - 1 ? flags_ : uint8_t{0x00}};
}

void GetQueuedIdWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.size() != kParts) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetQueuedID before all responses were received");
    }
    for (std::size_t i = 0; i < responsePhrases_.size(); ++i) {
        const ReplyReader reply(responsePhrases_[i], "Invalid ACK data received from reader after GetQueuedID command",
                                TAV_CHECK_SITE);
        if (reply.Size() == 0) {
            TAV_THROW(ProtocolException, fmt::format("Response phrase at index {} is empty", i));
        }
        if (reply.Size() != kReplyLength) {
            ReplyReader(
                reply.All(),
                fmt::format("Response phrase at index {} is {} bytes but should be {}", i, reply.Size(), kReplyLength),
                TAV_CHECK_SITE)
                .Fail();
        }
        reply.Expect(0, {0x0C}).Expect(9, {0x90, 0x00});
    }
}

QueuedIdInformation GetQueuedIdWithSerialBinaryProtocol::GetResult() {
    QueuedIdInformation information{};
    for (std::size_t part = 0; part < 4; ++part) {
        const ReplyReader reply = ReplyReader::Of(responsePhrases_, part, kIncomplete, TAV_CHECK_SITE);
        const auto id = reply.RequireAtLeast(10).Bytes(1, 8);
        std::copy(id.begin(), id.end(), information.Data + part * 8);
    }
    const ReplyReader last = ReplyReader::Of(responsePhrases_, 4, kIncomplete, TAV_CHECK_SITE);
    // The four bytes as received, not a decoded number.
    std::memcpy(&information.Value, last.Bytes(1, 4).data(), sizeof information.Value);
    information.LastByte = last.Byte(8);
    return information;
}

}  // namespace TavProtocol
