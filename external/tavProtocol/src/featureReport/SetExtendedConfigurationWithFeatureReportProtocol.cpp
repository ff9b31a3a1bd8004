#include "featureReport/SetExtendedConfigurationWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/FeatureReportPhrase.h"

namespace TavProtocol {

namespace {

constexpr std::size_t kSectionLength = 8;
constexpr uint8_t kHashHalves = 2;

std::vector<uint8_t> Section(std::span<const uint8_t> bytes, std::size_t index) {
    const auto section = bytes.subspan(index * kSectionLength, kSectionLength);
    return std::vector<uint8_t>(section.begin(), section.end());
}

}  // namespace

SetExtendedConfigurationWithFeatureReportProtocol::SetExtendedConfigurationWithFeatureReportProtocol(
    std::vector<uint8_t> configuration, std::span<const uint8_t, kHashSize> hash1,
    std::span<const uint8_t, kHashSize> hash2, uint8_t sendHash1, uint8_t sendHash2, uint8_t recordCount)
    : configuration_(std::move(configuration)),
      sendHash1_(sendHash1),
      sendHash2_(sendHash2),
      recordCount_(recordCount) {
    std::copy(hash1.begin(), hash1.end(), hash1_.begin());
    std::copy(hash2.begin(), hash2.end(), hash2_.begin());
    // Checked before the first phrase: a data phrase must never read past the configuration.
    if (std::size_t{recordCount_} * kSectionLength > configuration_.size()) {
        TAV_THROW(ProtocolException, fmt::format("Extended configuration record count {} runs past its {} bytes",
                                                 recordCount_, configuration_.size()));
    }
}

void SetExtendedConfigurationWithFeatureReportProtocol::Reset() {
    Command::Reset();
    nextRecord_ = 0;
    nextHash1Half_ = 0;
    nextHash2Half_ = 0;
}

int32_t SetExtendedConfigurationWithFeatureReportProtocol::PhraseCount() const {
    return 2 * recordCount_ + 2 * kHashHalves * (sendHash1_ != 0 ? 1 : 0) + 2 * kHashHalves * (sendHash2_ != 0 ? 1 : 0);
}

bool SetExtendedConfigurationWithFeatureReportProtocol::HasCommandPhrase() {
    return commandPhrasesProduced_ < PhraseCount();
}

std::vector<uint8_t> SetExtendedConfigurationWithFeatureReportProtocol::NextCommandPhrase() {
    // Even phrases address a section, odd ones carry its 8 bytes.
    const bool address = commandPhrasesProduced_ % 2 == 0;
    ++commandPhrasesProduced_;
    if (nextRecord_ < recordCount_) {
        if (address) {
            return FeatureReportPhrase({0x85, nextRecord_, 0x00, 0x10});
        }
        return Section(configuration_, nextRecord_++);
    }
    if (sendHash1_ != 0 && nextHash1Half_ < kHashHalves) {
        if (address) {
            return FeatureReportPhrase({0x85, nextHash1Half_, 0x01, 0x00});
        }
        return Section(hash1_, nextHash1Half_++);
    }
    if (sendHash2_ != 0 && nextHash2Half_ < kHashHalves) {
        if (address) {
            return FeatureReportPhrase({0x85, nextHash2Half_, 0x11, 0x00});
        }
        return Section(hash2_, nextHash2Half_++);
    }
    TAV_THROW(ProtocolException, "More command phrases requested than available data to send");
}

}  // namespace TavProtocol
