#pragma once

#include <string>

#include "core/CommandVisitor.h"
#include "records/GetStringIndex.h"

namespace TavProtocol {

// Reads one of the reader's eight strings (index 1 to 8).
class GetStringVisitor : public CommandVisitor {
public:
    explicit GetStringVisitor(GetStringIndex value) : index_(value) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    std::string GetResult() const { return text_; }

private:
    GetStringIndex index_;
    std::string text_;
};

}  // namespace TavProtocol
