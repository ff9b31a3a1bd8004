#pragma once

#include <cstdint>
#include <vector>

#include "core/Command.h"
#include "records/MifareWriterAidInformation.h"

namespace TavProtocol {

// Creates an application on the MIFARE card on the writer.
class MifareWriterCreateAidWithFeatureReportProtocol : public Command {
public:
    explicit MifareWriterCreateAidWithFeatureReportProtocol(const MifareWriterAidInformation& aidInformation)
        : aidInformation_(aidInformation) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;

private:
    MifareWriterAidInformation aidInformation_;
};

}  // namespace TavProtocol
