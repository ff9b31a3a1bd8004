#include "mfp24/GetInstalledHardwareWithMfp24Protocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "mfp24/Mfp24Phrase.h"

namespace TavProtocol {

namespace {

constexpr const char* kIncomplete = "ValidateResponse called before all response phrases were added";

// Eight characters as a number, most significant first; a character that is no hexadecimal
// digit counts as 0.
uint32_t HexCharactersValue(std::span<const uint8_t> characters) {
    uint32_t value = 0;
    for (const uint8_t c : characters) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10u;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10u;
        }
        value = value << 4 | digit;
    }
    return value;
}

}  // namespace

std::vector<uint8_t> GetInstalledHardwareWithMfp24Protocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return Mfp24Phrase::Make("QSX07");
}

void GetInstalledHardwareWithMfp24Protocol::ValidateResponse() const {
    // A missing reply reads as an empty one.
    const auto reply = ReplyReader::Of(responsePhrases_, 0, kIncomplete, TAV_CHECK_SITE);
    reply.RequireExactly(Mfp24Phrase::kLength);
    if (reply.MatchesText(0, "E")) {
        TAV_THROW(ProtocolException, "Received an error packet or the reader does not support this command.");
    }
    if (!Mfp24Phrase::IsWhole(reply) || !reply.MatchesText(0, "RSX07")) {
        TAV_THROW(ProtocolException, "Invalid response received");
    }
}

InstalledHardwareInformation GetInstalledHardwareWithMfp24Protocol::GetResult() const {
    const auto reply = ReplyReader::Of(responsePhrases_, 0, kIncomplete, TAV_CHECK_SITE);
    const uint32_t installed = HexCharactersValue(reply.Bytes(5, 8));
    const uint32_t supported = HexCharactersValue(reply.Bytes(13, 8));
    InstalledHardwareInformation information;
    for (std::size_t i = 0; i < InstalledHardwareInformation::kSupportedCount; ++i) {
        information.Flags[i] = (supported >> i & 1u) != 0;
    }
    for (std::size_t i = 0; i < InstalledHardwareInformation::kInstalledCount; ++i) {
        information.Flags[InstalledHardwareInformation::kSupportedCount + i] = (installed >> i & 1u) != 0;
    }
    return information;
}

}  // namespace TavProtocol
