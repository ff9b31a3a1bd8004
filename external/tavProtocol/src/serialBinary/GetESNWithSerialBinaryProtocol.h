#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The reader's electronic serial number, read in five parts.
class GetESNWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < kParts; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < kParts; }

    void ValidateResponse();
    std::string GetResult();

private:
    static constexpr int32_t kParts = 5;
};

}  // namespace TavProtocol
