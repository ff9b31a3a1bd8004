#include "serialBinary/GetExtendedConfigurationWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidImage = "Invalid ACK data received from reader after GetExtendedConfiguration command";

}  // namespace

void GetExtendedConfigurationWithSerialBinaryProtocol::Reset() {
    Command::Reset();
    header_ = {};
}

std::vector<uint8_t> GetExtendedConfigurationWithSerialBinaryProtocol::NextCommandPhrase() {
    // The header's frame asks for eight bytes, the image's for what the header announced.
    const auto length = static_cast<uint8_t>(commandPhrasesProduced_++ == 0 ? 8 : ImageLength());
    return {0xFA, 0x0A, 0x00, 0x00, length};
}

void GetExtendedConfigurationWithSerialBinaryProtocol::validateAndParseHeaderResponse(
    const std::vector<uint8_t>& response) {
    ReplyReader(response,
                "Invalid ACK data received from reader for Data header while executing GetExtendedConfiguration "
                "command",
                TAV_CHECK_SITE)
        .RequireExactly(11)
        .Expect(9, {0x90, 0x00});
    const TavCommon::FieldSeparatorDataHeader header = TavCommon::FieldSeparatorDataHeader::FromVector(
        std::span<const uint8_t>(response).subspan(1, TavCommon::FieldSeparatorDataHeader::kWireSize));
    // Only this layout fits the 128-byte image the second frame reads.
    if (header.StructureVersion == 0 || header.HeaderSize != 4 || header.FieldEntrySize != 4 ||
        header.SeparatorEntrySize != 2 || header.MaxStorageSize != 16) {
        TAV_THROW(ProtocolException,
                  "Invalid Header data received from reader while executing GetExtendedConfiguration command");
    }
    header_ = header;
}

void GetExtendedConfigurationWithSerialBinaryProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    if (responsePhrasesAdded_ == 0) {
        validateAndParseHeaderResponse(response);
    } else {
        responsePhrases_.push_back(response);
    }
    ++responsePhrasesAdded_;
}

void GetExtendedConfigurationWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty() || responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException,
                  "Empty response has been received from reader for GetExtendedConfiguration command");
    }
    ReplyReader(responsePhrases_.front(), kInvalidImage, TAV_CHECK_SITE)
        .RequireExactly(ImageLength() + 3)
        .Expect(ImageLength() + 1, {0x90, 0x00});
}

TavCommon::ExtendedConfiguration GetExtendedConfigurationWithSerialBinaryProtocol::GetResult() {
    const ReplyReader reply = ReplyReader::Of(responsePhrases_, 0, kInvalidImage, TAV_CHECK_SITE);
    return TavCommon::ExtendedConfiguration::FromVector(reply.Bytes(1, ImageLength()));
}

}  // namespace TavProtocol
