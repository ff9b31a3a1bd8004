#pragma once

#include "core/CommandVisitor.h"
#include "records/SerialReaderBaudRate.h"

namespace TavProtocol {

// Reads the code of a serial reader's line speed.
class GetBaudRateVisitor : public CommandVisitor {
public:
    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    SerialReaderBaudRate GetResult() const { return baudRate_; }

private:
    SerialReaderBaudRate baudRate_{};
};

}  // namespace TavProtocol
