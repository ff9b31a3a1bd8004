#include "featureReport/GetBlobWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr int32_t kMaxPieces = 255;
constexpr const char* kInvalidPiece = "Invalid response packet has been received for GetBlob command";
}  // namespace

GetBlobWithFeatureReportProtocol::GetBlobWithFeatureReportProtocol(const TavCommon::BlobHeader& header,
                                                                   int32_t dataPhraseCount)
    : header_(header), dataPhraseCount_(dataPhraseCount) {
    if (dataPhraseCount_ < 0 || dataPhraseCount_ > kMaxPieces) {
        TAV_THROW(ProtocolException,
                  fmt::format("A blob of {} pieces cannot be read: the piece index allows at most {}", dataPhraseCount_,
                              kMaxPieces));
    }
}

std::vector<uint8_t> GetBlobWithFeatureReportProtocol::Descriptor() const {
    // The data length's high byte is not sent.
    return FeatureReportPhrase({0x89, 0x10, 0x00, 0x00, header_.BlobType, header_.HeaderByte1,
                                static_cast<uint8_t>(header_.DataLength & 0xFF), header_.HeaderByte4});
}

std::vector<uint8_t> GetBlobWithFeatureReportProtocol::NextCommandPhrase() {
    const auto piece = static_cast<uint8_t>(commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    return piece == 0 ? Descriptor() : FeatureReportPhrase({0x89, 0x10, 0x00, piece});
}

void GetBlobWithFeatureReportProtocol::verifyHeader(const std::vector<uint8_t>& response) const {
    if (response != Descriptor()) {
        TAV_THROW(ProtocolException, "Header Verification failed");
    }
}

void GetBlobWithFeatureReportProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    if (responsePhrasesAdded_ == 0) {
        verifyHeader(response);
    } else {
        responsePhrases_.push_back(response);
    }
    ++responsePhrasesAdded_;
}

void GetBlobWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received from reader");
    }
    for (std::size_t j = 0; j < responsePhrases_.size(); ++j) {
        ReplyReader(responsePhrases_[j], kInvalidPiece, TAV_CHECK_SITE)
            .RequireExactly(kFeatureReportPhraseLength)
            .Expect(0, {0x89, 0x10, 0x00, static_cast<uint8_t>(j + 1)});
    }
}

std::vector<uint8_t> GetBlobWithFeatureReportProtocol::GetResult() const {
    std::vector<uint8_t> data;
    data.reserve(4 * responsePhrases_.size());
    for (const auto& reply : responsePhrases_) {
        const auto piece = ReplyReader(reply, kInvalidPiece, TAV_CHECK_SITE).Bytes(4, 4);
        data.insert(data.end(), piece.begin(), piece.end());
    }
    return data;
}

}  // namespace TavProtocol
