#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/MifareWriterFileInformation.h"

namespace TavProtocol {

// Creates a file on the MIFARE card on the writer.
class MifareWriterCreateFileWithFeatureReportProtocol : public FeatureReportCommand {
public:
    explicit MifareWriterCreateFileWithFeatureReportProtocol(const MifareWriterFileInformation& fileInformation)
        : fileInformation_(fileInformation) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;

private:
    MifareWriterFileInformation fileInformation_;
};

}  // namespace TavProtocol
