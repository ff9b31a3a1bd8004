#include "mfp24/GetBluetoothFirmwareVersionWithMfp24Protocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

namespace {
constexpr uint8_t kBluetoothFirmwareClass = 2;
}

std::vector<uint8_t> GetBluetoothFirmwareVersionWithMfp24Protocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return Mfp24Phrase::Make("QSX05");
}

void GetBluetoothFirmwareVersionWithMfp24Protocol::ValidateResponse() const {
    // A missing reply reads as an empty one.
    const auto reply = ReplyReader::Of(responsePhrases_, 0, "Command response is incorrect size", TAV_CHECK_SITE);
    reply.RequireExactly(Mfp24Phrase::kLength);
    if (!Mfp24Phrase::IsWhole(reply) || !reply.MatchesText(0, "RSX05")) {
        TAV_THROW(ProtocolException, "Command response is invalid.");
    }
}

BluetoothFirmwareVersion GetBluetoothFirmwareVersionWithMfp24Protocol::GetResult() const {
    const auto reply = ReplyReader::Of(responsePhrases_, 0, "Command response is incorrect size", TAV_CHECK_SITE);
    BluetoothFirmwareVersion version;
    version.Major = reply.BigEndian32(5);
    version.Minor = reply.BigEndian32(9);
    version.Build = 0;
    version.FirmwareClass = kBluetoothFirmwareClass;
    version.ModuleType = static_cast<uint8_t>(moduleType_);
    return version;
}

}  // namespace TavProtocol
