#include "common/BluetoothFirmwareVersion.h"

#include "common/FirmwareVersionReply.h"

namespace TavProtocol {

BluetoothFirmwareVersion BluetoothFirmwareVersion::FromFeatureReportReplyPhrase(std::span<const uint8_t> reply) {
    FirmwareVersionReply::RequirePhrase(reply, "BluetoothFirmwareVersion");
    BluetoothFirmwareVersion record;
    record.Major = reply[4];
    record.Minor = reply[5];
    record.Build = uint32_t{reply[6]} << 8 | reply[7];
    record.FirmwareClass = reply[2];
    record.ModuleType = reply[3];
    return record;
}

bool BluetoothFirmwareVersion::operator==(const BluetoothFirmwareVersion& other) const {
    return Major == other.Major && Minor == other.Minor && Build == other.Build &&
           FirmwareClass == other.FirmwareClass && ModuleType == other.ModuleType;
}

}  // namespace TavProtocol
