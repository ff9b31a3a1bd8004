#include "common/MicrocontrollerFirmwareVersion.h"

#include "common/FirmwareVersionReply.h"

namespace TavProtocol {

MicrocontrollerFirmwareVersion MicrocontrollerFirmwareVersion::FromReplyPhrase(std::span<const uint8_t> reply) {
    FirmwareVersionReply::RequirePhrase(reply, "MicrocontrollerFirmwareVersion");
    MicrocontrollerFirmwareVersion record;
    record.Version = FirmwareVersionReply::VersionInWireOrder(reply);
    record.FirmwareClass = reply[2];
    record.ModuleType = reply[3];
    return record;
}

bool MicrocontrollerFirmwareVersion::operator==(const MicrocontrollerFirmwareVersion& other) const {
    return Version == other.Version && FirmwareClass == other.FirmwareClass && ModuleType == other.ModuleType;
}

}  // namespace TavProtocol
