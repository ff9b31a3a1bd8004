#pragma once

#include <cstdint>
#include <vector>

#include "records/CardAnalyzerStatus.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// The card analyzer's status word.
class GetCardAnalyzerStatusWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();
    CardAnalyzerStatus GetResult();
};

}  // namespace TavProtocol
