#include "serialBinary/SetExtendedConfigurationWithSerialBinaryProtocol.h"

#include <algorithm>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

// FA 8A 00 P2 P3, then P3 data bytes; P2 names the part.
std::vector<uint8_t> Frame(uint8_t part, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> frame(5 + data.size());
    frame[0] = 0xFA;
    frame[1] = 0x8A;
    frame[2] = 0x00;
    frame[3] = part;
    frame[4] = static_cast<uint8_t>(data.size());
    std::copy(data.begin(), data.end(), frame.begin() + 5);
    return frame;
}

}  // namespace

SetExtendedConfigurationWithSerialBinaryProtocol::SetExtendedConfigurationWithSerialBinaryProtocol(
    const TavCommon::ExtendedConfiguration& configuration, const TavCommon::HashData& hashData)
    : configuration_(configuration.ToVector()),
      firstHash_(std::begin(hashData.Hash1), std::end(hashData.Hash1)),
      secondHash_(std::begin(hashData.Hash2), std::end(hashData.Hash2)),
      enhanceSecurityFirmwareState_(hashData.EnhanceSecurityFirmwareState),
      sendFirstPart_(enhanceSecurityFirmwareState_ == 1 || !TavCommon::HashData::IsZero(hashData.Hash1)),
      sendSecondPart_(enhanceSecurityFirmwareState_ == 1 || !TavCommon::HashData::IsZero(hashData.Hash2)) {}

std::vector<uint8_t> SetExtendedConfigurationWithSerialBinaryProtocol::NextCommandPhrase() {
    const int32_t phrase = commandPhrasesProduced_++;
    if (phrase == 0) {
        return Frame(0x00, configuration_);
    }
    if (phrase == 1 && sendFirstPart_) {
        return Frame(0x01, firstHash_);
    }
    return Frame(0x11, secondHash_);
}

void SetExtendedConfigurationWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException,
                  "No response has been received from reader after SetExtendedConfiguration command");
    }
    for (const auto& reply : responsePhrases_) {
        ReplyReader(reply, "Invalid ACK data received from reader after SetExtendedConfiguration command",
                    TAV_CHECK_SITE)
            .RequireExactly(3)
            .Expect(0, {0x8A, 0x90, 0x00});
    }
}

}  // namespace TavProtocol
