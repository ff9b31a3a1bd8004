#pragma once

#include <cstdint>
#include <vector>

#include "common/BluetoothFirmwareVersion.h"
#include "mfp24/Mfp24Command.h"
#include "records/FirmwareVersionModuleType.h"

namespace TavProtocol {

// Reads the Bluetooth module's firmware version ("QSX05"). Major and minor are taken from the
// reply's characters as they are: the character codes of four characters each, not their value.
class GetBluetoothFirmwareVersionWithMfp24Protocol : public Mfp24Command {
public:
    explicit GetBluetoothFirmwareVersionWithMfp24Protocol(FirmwareVersionModuleType moduleType)
        : moduleType_(moduleType) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;
    BluetoothFirmwareVersion GetResult() const;

private:
    FirmwareVersionModuleType moduleType_;
};

}  // namespace TavProtocol
