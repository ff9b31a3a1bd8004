#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/MifareWriterStatus.h"

namespace TavProtocol {

// Reads the MIFARE writer's status word.
class GetMifareWriterStatusWithFeatureReportProtocol : public Command {
public:
    GetMifareWriterStatusWithFeatureReportProtocol() = default;

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;
    MifareWriterStatus GetResult() const;
};

}  // namespace TavProtocol
