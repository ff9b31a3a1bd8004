#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"

namespace TavProtocol {

// Formats the MIFARE card on the writer.
class MifareWriterFormatCardWithFeatureReportProtocol : public Command {
public:
    MifareWriterFormatCardWithFeatureReportProtocol() = default;

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;
};

}  // namespace TavProtocol
