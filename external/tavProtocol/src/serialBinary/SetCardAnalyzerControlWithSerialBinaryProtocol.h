#pragma once

#include <cstdint>
#include <vector>

#include "records/CardAnalyzerControlParameter.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Sends the card analyzer a control code.
class SetCardAnalyzerControlWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    explicit SetCardAnalyzerControlWithSerialBinaryProtocol(CardAnalyzerControlParameter control) : control_(control) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ < 1; }

    void ValidateResponse();

private:
    CardAnalyzerControlParameter control_;
};

}  // namespace TavProtocol
