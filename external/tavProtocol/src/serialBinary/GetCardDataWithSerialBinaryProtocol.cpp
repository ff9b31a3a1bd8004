#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"

#include <fmt/format.h>

#include <algorithm>

#include "common/Logger.h"
#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

constexpr std::size_t kResultSize = 32;

// Reply: acknowledgement, four header bytes (byte 2 the bit count), the data, SW1 SW2.
constexpr std::size_t kLeadingBytes = 5;
constexpr std::size_t kStatusWordBytes = 2;
constexpr const char* kEmptyReply = "Response phrase at index 0 is empty";
std::size_t ReplyLength(GetCardDataSizeParameters size) { return size == GetCardDataSizeParameters::Short ? 15 : 39; }

constexpr uint8_t kNoCardSw1 = 0x6A;
constexpr uint8_t kNoCardSw2 = 0x82;

}  // namespace

std::vector<uint8_t> GetCardDataWithSerialBinaryProtocol::NextCommandPhrase() {
    uint8_t dataLength;
    switch (size_) {
    case GetCardDataSizeParameters::Short:
        dataLength = 0x0C;
        break;
    case GetCardDataSizeParameters::Long:
        dataLength = 0x24;
        break;
    default:
        TAV_THROW(ProtocolException, "Unsupported card data read size requested by GetCardData command.");
    }
    ++commandPhrasesProduced_;
    return {0xFA, 0x00, 0x00, 0x00, dataLength};
}

bool GetCardDataWithSerialBinaryProtocol::IsNoCardReply() const {
    if (responsePhrases_.size() != 1) {
        return false;
    }
    const ReplyReader reply(responsePhrases_.front(), kEmptyReply, TAV_CHECK_SITE);
    // Some readers send the status word alone, others pad it to the read's length.
    return (reply.Size() == kStatusWordBytes || reply.Size() == ReplyLength(size_)) &&
           reply.EndsWith({kNoCardSw1, kNoCardSw2});
}

void GetCardDataWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.size() != 1) {
        TAV_THROW(ProtocolException, "Attempted to get result of GetCardData before all responses were received");
    }
    const ReplyReader reply(responsePhrases_.front(), kEmptyReply, TAV_CHECK_SITE);
    reply.RequireAtLeast(1);
    if (IsNoCardReply()) {
        TavCommon::Logger::Info(logger, TavCommon::kProtocolCategory,
                                "Received NO_CARD response, which indicates that the reader does not have a card "
                                "present. Returning empty card data result.");
        return;
    }
    const std::size_t length = ReplyLength(size_);
    if (reply.Size() != length) {  // the message only on failure: every card poll passes here
        ReplyReader(reply.All(),
                    fmt::format("Response phrase at index 0 is not {0} bytes long. Expected {0} bytes, got {1} bytes",
                                length, reply.Size()),
                    TAV_CHECK_SITE)
            .Fail();
    }
    const uint8_t sw1 = reply.ByteFromEnd(1);
    if (sw1 == 0x90) {
        return;
    }
    TAV_THROW(ProtocolException,
              fmt::format("Response phrase at index {} is not a valid response. Expected 0x90, got 0x{:02x}",
                          length - 2, sw1));
}

std::vector<uint8_t> GetCardDataWithSerialBinaryProtocol::GetResult() {
    std::vector<uint8_t> data(kResultSize, 0x00);
    if (responsePhrases_.empty() || IsNoCardReply()) {
        return data;
    }
    const ReplyReader reply(responsePhrases_.front(), kEmptyReply, TAV_CHECK_SITE);
    // The data stand between the five leading bytes and the status word; a reply too short to hold
    // both has none.
    if (reply.Size() >= kLeadingBytes + kStatusWordBytes) {
        const auto bytes = reply.Between(kLeadingBytes, kStatusWordBytes);
        std::copy_n(bytes.begin(), std::min(bytes.size(), kResultSize), data.begin());
    }
    return data;
}

uint8_t GetCardDataWithSerialBinaryProtocol::GetBitCount() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received. Did you execute the command?");
    }
    if (IsNoCardReply()) {
        return 0;
    }
    return ReplyReader::Of(responsePhrases_, 0, "Response phrase at index 0 holds no bit count", TAV_CHECK_SITE)
        .Byte(2);
}

}  // namespace TavProtocol
