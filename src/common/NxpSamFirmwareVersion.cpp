#include "common/NxpSamFirmwareVersion.h"

#include "common/FirmwareVersionReply.h"

namespace TavProtocol {

NxpSamFirmwareVersion NxpSamFirmwareVersion::FromReplyPhrase(std::span<const uint8_t> reply) {
    FirmwareVersionReply::RequirePhrase(reply, "NxpSamFirmwareVersion");
    NxpSamFirmwareVersion record;
    record.Version = FirmwareVersionReply::VersionInWireOrder(reply);
    record.FirmwareClass = reply[2];
    record.ModuleType = reply[3];
    return record;
}

bool NxpSamFirmwareVersion::operator==(const NxpSamFirmwareVersion& other) const {
    return Version == other.Version && FirmwareClass == other.FirmwareClass && ModuleType == other.ModuleType;
}

}  // namespace TavProtocol
