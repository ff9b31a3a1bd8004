#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/LuidResponseInformation.h"

namespace TavProtocol {

// Reads the reader's LUID.
class GetLuidWithFeatureReportProtocol : public Command {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse() const;
    LuidResponseInformation GetResult() const;
};

}  // namespace TavProtocol
