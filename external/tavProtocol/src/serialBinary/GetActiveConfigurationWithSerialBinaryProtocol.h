#pragma once

#include <cstdint>
#include <vector>

#include "records/ActiveConfigurationInformation.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Which configuration is active, and how many the reader holds.
class GetActiveConfigurationWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    ActiveConfigurationInformation GetResult();
};

}  // namespace TavProtocol
