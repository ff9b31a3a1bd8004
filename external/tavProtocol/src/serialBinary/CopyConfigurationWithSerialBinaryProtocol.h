#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/TimeDelay.h"
#include "records/ConfigurationLocation.h"
#include "serialBinary/SerialBinaryCommand.h"

namespace TavProtocol {

// Copies a configuration from one store to another. The reader needs 50 ms before it answers.
class CopyConfigurationWithSerialBinaryProtocol : public SerialBinaryCommand {
public:
    CopyConfigurationWithSerialBinaryProtocol(ConfigurationLocation source, ConfigurationLocation destination,
                                              uint8_t third, uint8_t fourth,
                                              std::unique_ptr<TavCommon::TimeDelay> delay);

    bool HasCommandPhrase() override { return commandPhrasesProduced_ < 1; }
    std::vector<uint8_t> NextCommandPhrase() override;
    // Waits the 50 ms on every call, then says whether the reply is still to come.
    bool ExpectsResponsePhrase() override;

    void ValidateResponse();

private:
    static constexpr int kReplyDelayMs = 50;

    ConfigurationLocation source_;
    ConfigurationLocation destination_;
    uint8_t third_;
    uint8_t fourth_;
    std::unique_ptr<TavCommon::TimeDelay> delay_;
};

}  // namespace TavProtocol
