#include "featureReport/GetExtendedConfigurationWithFeatureReportProtocol.h"

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {
constexpr const char* kWrongReplyCount =
    "Invalid response has been received from reader while executing GetExtendedConfiguration command";
constexpr uint8_t kRecordLength = 8;
}  // namespace

void GetExtendedConfigurationWithFeatureReportProtocol::Reset() {
    Command::Reset();
    header_ = {};
}

bool GetExtendedConfigurationWithFeatureReportProtocol::HasCommandPhrase() {
    return commandPhrasesProduced_ < 1 || commandPhrasesProduced_ < header_.MaxStorageSize;
}

bool GetExtendedConfigurationWithFeatureReportProtocol::ExpectsResponsePhrase() {
    return responsePhrasesAdded_ < 1 || responsePhrasesAdded_ < header_.MaxStorageSize;
}

std::vector<uint8_t> GetExtendedConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    const auto record = static_cast<uint8_t>(commandPhrasesProduced_);
    ++commandPhrasesProduced_;
    return FeatureReportPhrase({0x85, record, 0x00, 0x10});
}

void GetExtendedConfigurationWithFeatureReportProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    if (responsePhrasesAdded_ == 0) {
        validateAndParseHeaderResponse(response);
    }
    responsePhrases_.push_back(response);
    ++responsePhrasesAdded_;
}

void GetExtendedConfigurationWithFeatureReportProtocol::validateAndParseHeaderResponse(
    const std::vector<uint8_t>& response) {
    if (response.size() != kFeatureReportPhraseLength) {
        TAV_THROW(ProtocolException,
                  "Invalid Header response received from reader while executing GetExtendedConfiguration command");
    }
    header_ = TavCommon::FieldSeparatorDataHeader::FromVector(response);
    // The reader's layout is fixed: 16 records of 8 bytes behind a 4-byte header.
    const bool valid = header_.StructureVersion != 0 && header_.HeaderSize == 4 && header_.FieldEntrySize == 4 &&
                       header_.FieldEntryCount < 32 && header_.SeparatorEntrySize == 2 &&
                       header_.SeparatorEntryCount < 32 && header_.MaxStorageSize == 16;
    if (!valid) {
        TAV_THROW(ProtocolException,
                  "Invalid Header data received from reader while executing GetExtendedConfiguration command");
    }
}

void GetExtendedConfigurationWithFeatureReportProtocol::ValidateResponse() const {
    if (responsePhrases_.size() != header_.MaxStorageSize) {
        TAV_THROW(ProtocolException, kWrongReplyCount);
    }
    for (const auto& reply : responsePhrases_) {
        if (reply.size() != kRecordLength) {
            TAV_THROW(ProtocolException,
                      "Invalid response phrase received from reader while executing GetExtendedConfiguration command");
        }
    }
}

TavCommon::ExtendedConfiguration GetExtendedConfigurationWithFeatureReportProtocol::GetResult() const {
    std::vector<uint8_t> image;
    image.reserve(TavCommon::ExtendedConfiguration::kWireSize);
    for (const auto& reply : responsePhrases_) {
        image.insert(image.end(), reply.begin(), reply.end());
    }
    if (image.size() != TavCommon::ExtendedConfiguration::kWireSize) {
        TAV_THROW(ProtocolException, kWrongReplyCount);
    }
    return TavCommon::ExtendedConfiguration::FromVector(image);
}

}  // namespace TavProtocol
