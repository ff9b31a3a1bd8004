#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/Protocol.h"
#include "facade/ProtocolFactory.h"
#include "sim/CommandTables.h"
#include "sim/Fault.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "visitors/CommandVisitor.h"

namespace TavTest {

// A simulated reader of one protocol (1 feature report, 2 MFP24, 3 serial binary) with its
// protocol object: visitors run against it as a facade would run them, and the test reads what
// the reader was sent.
class SimulatedProtocolReader {
public:
    explicit SimulatedProtocolReader(uint8_t protocolType)
        : protocol_(TavProtocol::ProtocolFactory::GetProtocol(protocolType)) {
        if (protocolType == 3) {
            serialBinary_ = std::make_unique<TavSim::SerialBinaryFrontEnd>(reader);
            transport_ = std::make_unique<InProcessTransport>(*serialBinary_);
        } else {
            featureReport_ = protocolType == 2
                                 ? std::make_unique<TavSim::FeatureReportFrontEnd>(reader, TavSim::Mfp24Commands())
                                 : std::make_unique<TavSim::FeatureReportFrontEnd>(reader);
            transport_ = std::make_unique<InProcessTransport>(*featureReport_);
        }
    }

    void Run(TavProtocol::CommandVisitor& visitor) { protocol_->Accept(visitor, *transport_); }

    std::vector<std::vector<uint8_t>> Sent() const {
        return serialBinary_ ? serialBinary_->ReceivedBytes() : featureReport_->ReceivedBytes();
    }
    void ClearSent() {
        if (serialBinary_) {
            serialBinary_->ClearReceived();
        } else {
            featureReport_->ClearReceived();
        }
    }
    void InjectFault(TavSim::FaultTrigger trigger, TavSim::Fault fault) {
        if (serialBinary_) {
            serialBinary_->InjectFault(std::move(trigger), fault);
        } else {
            featureReport_->InjectFault(std::move(trigger), fault);
        }
    }
    InProcessTransport& Transport() { return *transport_; }

    TavSim::SimulatedReader reader;

private:
    std::unique_ptr<TavProtocol::Protocol> protocol_;
    std::unique_ptr<TavSim::FeatureReportFrontEnd> featureReport_;
    std::unique_ptr<TavSim::SerialBinaryFrontEnd> serialBinary_;
    std::unique_ptr<InProcessTransport> transport_;
};

}  // namespace TavTest
