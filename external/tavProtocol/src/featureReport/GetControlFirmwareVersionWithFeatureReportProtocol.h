#pragma once

#include <cstdint>
#include <vector>

#include "common/MicrocontrollerFirmwareVersion.h"
#include "core/Command.h"
#include "records/FirmwareVersionModuleType.h"

namespace TavProtocol {

// Reads the firmware version of the control microcontroller.
class GetControlFirmwareVersionWithFeatureReportProtocol : public Command {
public:
    explicit GetControlFirmwareVersionWithFeatureReportProtocol(FirmwareVersionModuleType moduleType)
        : moduleType_(moduleType) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1 && responsePhrases_.empty(); }

    MicrocontrollerFirmwareVersion GetResult() const;

private:
    FirmwareVersionModuleType moduleType_;
};

}  // namespace TavProtocol
