#pragma once

#include <cstdint>
#include <vector>

#include "common/MicrocontrollerFirmwareVersion.h"
#include "records/FirmwareVersionModuleType.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The firmware version of the reader's radio microcontroller.
class GetRadioFirmwareVersionWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit GetRadioFirmwareVersionWithSerialBinaryProtocol(FirmwareVersionModuleType module) : module_(module) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0 && responsePhrases_.empty(); }

    void ValidateResponse();
    MicrocontrollerFirmwareVersion GetResult();

private:
    FirmwareVersionModuleType module_;
};

}  // namespace TavProtocol
