#include "serialBinary/GetInstalledHardwareWithSerialBinaryProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol {

namespace {

constexpr const char* kInvalidReply = "Invalid response phrase";

}  // namespace

std::vector<uint8_t> GetInstalledHardwareWithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return {0xFA, 0x09, 0x05, 0x00, 0x00};
}

void GetInstalledHardwareWithSerialBinaryProtocol::ValidateResponse() {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException,
                  "Attempted to get result of GetInstalledHardware before all responses were received");
    }
    if (responsePhrases_.front().empty()) {
        TAV_THROW(ProtocolException, "Response phrase is empty");
    }
    const ReplyReader reply(responsePhrases_.front(), kInvalidReply, TAV_CHECK_SITE);
    reply.Expect(0, {0x09, 0x05}).Expect(10, {0x90, 0x00});
}

InstalledHardwareInformation GetInstalledHardwareWithSerialBinaryProtocol::GetResult() {
    const ReplyReader reply = ReplyReader::Of(responsePhrases_, 0, kInvalidReply, TAV_CHECK_SITE);
    const uint32_t supported = reply.LittleEndian32(6);
    const uint32_t installed = reply.LittleEndian32(2);
    InstalledHardwareInformation hardware;
    for (std::size_t flag = 0; flag < InstalledHardwareInformation::kSupportedCount; ++flag) {
        hardware.Flags[flag] = ((supported >> flag) & 1u) != 0;
    }
    for (std::size_t flag = 0; flag < InstalledHardwareInformation::kInstalledCount; ++flag) {
        hardware.Flags[InstalledHardwareInformation::kSupportedCount + flag] = ((installed >> flag) & 1u) != 0;
    }
    return hardware;
}

}  // namespace TavProtocol
