#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// The reader's part number, read in three parts of at most eight characters.
class GetPartNumberWithSerialBinaryProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < kParts; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < kParts; }

    void ValidateResponse();
    std::string GetResult();

private:
    static constexpr int32_t kParts = 3;
};

}  // namespace TavProtocol
