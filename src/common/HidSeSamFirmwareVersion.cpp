#include "common/HidSeSamFirmwareVersion.h"

#include "common/FirmwareVersionReply.h"

namespace TavProtocol {

HidSeSamFirmwareVersion HidSeSamFirmwareVersion::FromReplyPhrase(std::span<const uint8_t> reply) {
    FirmwareVersionReply::RequirePhrase(reply, "HidSeSamFirmwareVersion");
    HidSeSamFirmwareVersion record;
    record.Version = FirmwareVersionReply::VersionInWireOrder(reply);
    record.FirmwareClass = reply[2];
    record.ModuleType = reply[3];
    return record;
}

bool HidSeSamFirmwareVersion::operator==(const HidSeSamFirmwareVersion& other) const {
    return Version == other.Version && FirmwareClass == other.FirmwareClass && ModuleType == other.ModuleType;
}

}  // namespace TavProtocol
