#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "featureReport/FeatureReportCommand.h"

namespace TavProtocol {

// Writes the extended configuration record by record, then the halves of each hash it is asked
// to send; every section is an address phrase followed by a data phrase. The reader does not
// answer.
class SetExtendedConfigurationWithFeatureReportProtocol : public FeatureReportCommand {
public:
    static constexpr std::size_t kHashSize = 16;

    // Refuses a record count whose records would run past the configuration's bytes.
    SetExtendedConfigurationWithFeatureReportProtocol(std::vector<uint8_t> configuration,
                                                      std::span<const uint8_t, kHashSize> hash1,
                                                      std::span<const uint8_t, kHashSize> hash2, uint8_t sendHash1,
                                                      uint8_t sendHash2, uint8_t recordCount);

    void Reset() override;
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>&) override {}
    bool ExpectsResponsePhrase() override { return false; }

private:
    int32_t PhraseCount() const;

    std::vector<uint8_t> configuration_;
    std::array<uint8_t, kHashSize> hash1_{};
    std::array<uint8_t, kHashSize> hash2_{};
    uint8_t sendHash1_;
    uint8_t sendHash2_;
    uint8_t recordCount_;
    uint8_t nextRecord_ = 0;
    uint8_t nextHash1Half_ = 0;
    uint8_t nextHash2Half_ = 0;
};

}  // namespace TavProtocol
