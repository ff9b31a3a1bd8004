#pragma once

#include "core/Protocol.h"

namespace TavProtocol {

class FeatureReportProtocol : public Protocol {
public:
    ~FeatureReportProtocol() override;
    void Accept(CommandVisitor& visitor, TavTransport::Transport& transport) override;
};

}  // namespace TavProtocol
