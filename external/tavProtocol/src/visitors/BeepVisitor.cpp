#include "visitors/BeepVisitor.h"

#include "featureReport/BeepWithFeatureReportProtocol.h"
#include "mfp24/BeepWithMfp24Protocol.h"
#include "serialBinary/BeepWithSerialBinaryProtocol.h"

namespace TavProtocol {

void BeepVisitor::ValidateArguments() {
    if (duration_ == BEEP_DURATION::Long) {
        if (count_ > 2) {
            TAV_THROW(ProtocolException, "When creating long beeps, only 1 or 2 beeps are allowed.");
        }
    } else if (count_ > 5) {
        TAV_THROW(ProtocolException, "Only up to 5 short beeps, or 2 long beeps, can be produced.");
    }
    // A negative count would reach the wire as a large unsigned byte.
    if (count_ < 1) {
        TAV_THROW(ProtocolException, "A count of 0 beeps does not make sense.");
    }
}

void BeepVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    BeepWithFeatureReportProtocol command(static_cast<uint32_t>(count_), static_cast<uint8_t>(duration_));
    // The reader's answer to a beep says nothing about the beeps: it is read, not checked.
    command.Execute(transport);
}

void BeepVisitor::Visit(Mfp24Protocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    BeepWithMfp24Protocol command(
        static_cast<uint16_t>(static_cast<uint16_t>(count_) | static_cast<uint16_t>(duration_) << 8));
    command.Execute(transport);
    // An MFP24 reader answers a refused beep with an error packet.
    command.ValidateResponse();
}

void BeepVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    BeepWithSerialBinaryProtocol command(static_cast<uint8_t>(count_), duration_);
    command.Execute(transport);
    command.ValidateResponse();
}

}  // namespace TavProtocol
