#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/BlobHeader.h"
#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Writes a blob: a descriptor phrase, one phrase per 4-byte piece, then the end phrase; the
// reader acknowledges each.
class SetBlobWithFeatureReportProtocol : public FeatureReportCommand {
public:
    // The data is padded with zeros to whole pieces. The piece index is one byte and 0xFF marks
    // the end: more than 254 pieces are refused here.
    SetBlobWithFeatureReportProtocol(const TavCommon::BlobHeader& header, std::vector<uint8_t> data);

    bool HasCommandPhrase() override { return commandPhrasesProduced_ <= dataPhraseCount_ + 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ <= dataPhraseCount_ + 1; }

    void ValidateResponse() const;

private:
    TavCommon::BlobHeader header_;
    std::vector<uint8_t> data_;
    int32_t dataPhraseCount_;
};

}  // namespace TavProtocol
