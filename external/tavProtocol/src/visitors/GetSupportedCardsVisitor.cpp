#include "visitors/GetSupportedCardsVisitor.h"

#include "featureReport/GetSupportedCardsWithFeatureReportProtocol.h"
#include "mfp24/GetSupportedCardsWithMfp24Protocol.h"
#include "serialBinary/GetSupportedCardsWithSerialBinaryProtocol.h"

namespace TavProtocol {

void GetSupportedCardsVisitor::ValidateArguments() {}

void GetSupportedCardsVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    GetSupportedCardsWithFeatureReportProtocol command;
    command.Execute(transport);
    cardTypes_ = command.GetResult();
}

void GetSupportedCardsVisitor::Visit(Mfp24Protocol&, TavTransport::Transport& transport) {
    GetSupportedCardsWithMfp24Protocol command;
    command.Execute(transport);
    command.ValidateResponse();
    cardTypes_ = command.GetResult();
}

void GetSupportedCardsVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    GetSupportedCardsWithSerialBinaryProtocol command;
    command.Execute(transport);
    command.ValidateResponse();
    cardTypes_ = command.GetResult();
}

}  // namespace TavProtocol
