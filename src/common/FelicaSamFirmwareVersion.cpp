#include "common/FelicaSamFirmwareVersion.h"

#include "common/FirmwareVersionReply.h"

namespace TavProtocol {

FelicaSamFirmwareVersion FelicaSamFirmwareVersion::FromReplyPhrase(std::span<const uint8_t> reply) {
    FirmwareVersionReply::RequirePhrase(reply, "FelicaSamFirmwareVersion");
    FelicaSamFirmwareVersion record;
    record.Version = FirmwareVersionReply::VersionMostSignificantFirst(reply);
    record.FirmwareClass = reply[2];
    record.ModuleType = reply[3];
    return record;
}

bool FelicaSamFirmwareVersion::operator==(const FelicaSamFirmwareVersion& other) const {
    return Version == other.Version && FirmwareClass == other.FirmwareClass && ModuleType == other.ModuleType;
}

}  // namespace TavProtocol
