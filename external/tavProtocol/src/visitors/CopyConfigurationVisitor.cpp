#include "visitors/CopyConfigurationVisitor.h"

#include <memory>

#include "common/TimeDelay.h"
#include "featureReport/CopyConfigurationWithFeatureReportProtocol.h"
#include "mfp24/CopyConfigurationWithMfp24Protocol.h"
#include "serialBinary/CopyConfigurationWithSerialBinaryProtocol.h"

namespace TavProtocol {

void CopyConfigurationVisitor::ValidateArguments() {
    if (source_ == destination_) {
        TAV_THROW(ProtocolException, "Source and destination for CopyConfiguration command cannot be the same.");
    }
    if (destination_ == ConfigurationLocation::FactoryDefaults) {
        TAV_THROW(ProtocolException, "Destination for CopyConfiguration command cannot be FactoryDefaults.");
    }
    if (source_ == ConfigurationLocation::FactoryDefaults && destination_ == ConfigurationLocation::Ram) {
        TAV_THROW(ProtocolException, "Factory Defaults configuration cannot be copied to RAM.");
    }
}

void CopyConfigurationVisitor::ValidateArgumentsForFeatureReportProtocol() {
    if (source_ == destination_) {
        TAV_THROW(ProtocolException, "Source and destination for CopyConfiguration command cannot be the same.");
    }
    if (destination_ == ConfigurationLocation::FactoryDefaults) {
        TAV_THROW(ProtocolException, "Destination for CopyConfiguration command cannot be FactoryDefaults.");
    }
}

void CopyConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArgumentsForFeatureReportProtocol();
    CopyConfigurationWithFeatureReportProtocol command(source_, destination_, third_, fourth_);
    command.Execute(transport);
    command.ValidateResponse();
}

void CopyConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    CopyConfigurationWithMfp24Protocol command(
        static_cast<uint16_t>(static_cast<uint8_t>(source_) | static_cast<uint8_t>(destination_) << 8));
    command.Execute(transport);
    command.ValidateResponse();
}

void CopyConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    // A visitor runs once; a second run would find its delay given away and waits through a plain one.
    CopyConfigurationWithSerialBinaryProtocol command(source_, destination_, third_, fourth_,
                                                      delay_ ? std::move(delay_) : std::make_unique<TavCommon::TimeDelay>());
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
