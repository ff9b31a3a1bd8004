#include "featureReport/FeatureReportProtocol.h"

#include <cstdio>
#include <exception>

#include "common/Logger.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

namespace {
const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
}

FeatureReportProtocol::~FeatureReportProtocol() {
    try {
        TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "Deconstructing FeatureReportProtocol");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Exception in ~FeatureReportProtocol: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "Unknown exception in ~FeatureReportProtocol\n");
    }
}

void FeatureReportProtocol::Accept(CommandVisitor& visitor, TavTransport::Transport& transport) {
    visitor.Visit(*this, transport);
}

}  // namespace TavProtocol
