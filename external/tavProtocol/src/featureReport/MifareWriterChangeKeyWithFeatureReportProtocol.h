#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/MifareWriterKeyInformation.h"

namespace TavProtocol {

// Changes a key of the MIFARE card on the writer.
class MifareWriterChangeKeyWithFeatureReportProtocol : public Command {
public:
    explicit MifareWriterChangeKeyWithFeatureReportProtocol(const MifareWriterKeyInformation& keyInformation)
        : keyInformation_(keyInformation) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;

private:
    MifareWriterKeyInformation keyInformation_;
};

}  // namespace TavProtocol
