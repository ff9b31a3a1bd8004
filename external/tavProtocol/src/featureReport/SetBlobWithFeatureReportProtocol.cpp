#include "featureReport/SetBlobWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include <utility>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "core/ReplyReader.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr std::size_t kPieceLength = 4;
constexpr int32_t kMaxPieces = 254;
constexpr uint8_t kEndPiece = 0xFF;
}  // namespace

SetBlobWithFeatureReportProtocol::SetBlobWithFeatureReportProtocol(const TavCommon::BlobHeader& header,
                                                                   std::vector<uint8_t> data)
    : header_(header),
      data_(std::move(data)),
      dataPhraseCount_(static_cast<int32_t>((data_.size() + kPieceLength - 1) / kPieceLength)) {
    if (dataPhraseCount_ > kMaxPieces) {
        TAV_THROW(ProtocolException,
                  fmt::format("A blob of {} pieces cannot be written: the piece index allows at most {}",
                              dataPhraseCount_, kMaxPieces));
    }
    data_.resize(static_cast<std::size_t>(dataPhraseCount_) * kPieceLength, 0);
}

std::vector<uint8_t> SetBlobWithFeatureReportProtocol::NextCommandPhrase() {
    const int32_t phrase = commandPhrasesProduced_;
    ++commandPhrasesProduced_;
    if (phrase == 0) {
        // The data length's high byte is not sent.
        return FeatureReportPhrase({0x89, 0x90, 0x00, 0x00, header_.BlobType, header_.HeaderByte1,
                                    static_cast<uint8_t>(header_.DataLength & 0xFF), header_.HeaderByte4});
    }
    if (phrase > dataPhraseCount_) {
        return FeatureReportPhrase({0x89, 0x90, 0x00, kEndPiece});
    }
    // Piece k carries data bytes 4(k - 1) to 4(k - 1) + 3, wherever a run left off before.
    const std::size_t at = static_cast<std::size_t>(phrase - 1) * kPieceLength;
    return FeatureReportPhrase(
        {0x89, 0x90, 0x00, static_cast<uint8_t>(phrase), data_[at], data_[at + 1], data_[at + 2], data_[at + 3]});
}

void SetBlobWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.empty()) {
        TAV_THROW(ProtocolException, "No response has been received from reader");
    }
    for (std::size_t i = 0; i < responsePhrases_.size(); ++i) {
        const bool last = i + 1 == responsePhrases_.size();
        ReplyReader(responsePhrases_[i], "Invalid ACK data has been received for SetBlob command", TAV_CHECK_SITE)
            .RequireExactly(kFeatureReportPhraseLength)
            .Expect(0, {0x89, 0x90, 0x00, last ? kEndPiece : static_cast<uint8_t>(i)});
    }
}

}  // namespace TavProtocol
