#pragma once

#include <cstdint>
#include <vector>

#include "core/CommandVisitor.h"
#include "records/CardAnalyzerData.h"

namespace TavProtocol {

// Reads the records of the cards the card analyzer holds.
class GetCardAnalyzerDataVisitor : public CommandVisitor {
public:
    explicit GetCardAnalyzerDataVisitor(int32_t cardCount) : cardCount_(cardCount) {}

    void ValidateArguments() override;
    void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) override;
    void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) override;
    void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) override;

    std::vector<CardAnalyzerData> GetResult() const { return records_; }

private:
    int32_t cardCount_;
    std::vector<CardAnalyzerData> records_;
};

}  // namespace TavProtocol
