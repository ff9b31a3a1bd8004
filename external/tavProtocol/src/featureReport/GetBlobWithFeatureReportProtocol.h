#pragma once

#include <cstdint>
#include <vector>

#include "common/BlobHeader.h"
#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Reads a blob: a descriptor phrase, which the reader echoes, then one phrase per 4-byte piece.
class GetBlobWithFeatureReportProtocol : public FeatureReportCommand {
public:
    // The piece index is one byte on the wire: more than 255 pieces are refused here.
    GetBlobWithFeatureReportProtocol(const TavCommon::BlobHeader& header, int32_t dataPhraseCount);

    bool HasCommandPhrase() override { return commandPhrasesProduced_ <= dataPhraseCount_; }
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ <= dataPhraseCount_; }

    void ValidateResponse() const;
    // Every piece whole: up to three bytes beyond the header's data length.
    std::vector<uint8_t> GetResult() const;

private:
    std::vector<uint8_t> Descriptor() const;
    void verifyHeader(const std::vector<uint8_t>& response) const;

    TavCommon::BlobHeader header_;
    int32_t dataPhraseCount_;
};

}  // namespace TavProtocol
