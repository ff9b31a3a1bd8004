#pragma once

#include <cstdint>
#include <vector>

#include "records/InstalledHardwareInformation.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Which hardware the reader supports and which is installed.
class GetInstalledHardwareWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ != commandPhrasesProduced_; }

    void ValidateResponse();
    InstalledHardwareInformation GetResult();
};

}  // namespace TavProtocol
