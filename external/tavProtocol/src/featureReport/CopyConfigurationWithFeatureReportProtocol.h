#pragma once

#include <cstdint>
#include <vector>

#include "featureReport/FeatureReportCommand.h"
#include "records/ConfigurationLocation.h"

namespace TavProtocol {

// Copies a configuration from one store to another; the reader echoes the request.
class CopyConfigurationWithFeatureReportProtocol : public FeatureReportCommand {
public:
    CopyConfigurationWithFeatureReportProtocol(ConfigurationLocation source, ConfigurationLocation destination,
                                               uint8_t third, uint8_t fourth)
        : source_(source), destination_(destination), third_(third), fourth_(fourth) {}

    bool HasCommandPhrase() override { return commandPhrasesProduced_ == 0; }
    std::vector<uint8_t> NextCommandPhrase() override;
    bool ExpectsResponsePhrase() override { return responsePhrasesAdded_ == 0; }

    void ValidateResponse() const;

private:
    std::vector<uint8_t> RequestPhrase() const;

    ConfigurationLocation source_;
    ConfigurationLocation destination_;
    uint8_t third_;
    uint8_t fourth_;
};

}  // namespace TavProtocol
