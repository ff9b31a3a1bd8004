#pragma once

#include <cstdint>
#include <vector>

#include "records/LuidResponseInformation.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The reader's LUID.
class GetLuidWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    LuidResponseInformation GetResult();
};

}  // namespace TavProtocol
