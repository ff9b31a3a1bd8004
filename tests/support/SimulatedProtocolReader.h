#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "core/CommandVisitor.h"
#include "core/Protocol.h"
#include "facade/ProtocolFactory.h"
#include "sim/CommandTables.h"
#include "sim/Fault.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "support/ProtocolFailure.h"
#include "support/Timeline.h"
#include "support/Wire.h"

namespace TavTest {

// A simulated reader of one wire protocol in process, with the protocol object a facade holds:
// a visitor runs against it exactly as a facade operation runs it, and the test reads what the
// reader was sent.
class SimulatedProtocolReader {
public:
    explicit SimulatedProtocolReader(Wire wire)
        : protocol_(TavProtocol::ProtocolFactory::GetProtocol(static_cast<uint8_t>(wire))) {
        if (wire == Wire::SerialBinary) {
            serialBinary_ = std::make_unique<TavSim::SerialBinaryFrontEnd>(reader_);
        } else {
            featureReport_ = wire == Wire::Mfp24
                                 ? std::make_unique<TavSim::FeatureReportFrontEnd>(reader_, TavSim::Mfp24Commands())
                                 : std::make_unique<TavSim::FeatureReportFrontEnd>(reader_);
        }
        transport_ = std::make_unique<InProcessTransport>(FrontEnd());
    }
    // By the protocol type of a reader definition: 1 feature report, 2 MFP24, 3 serial binary.
    explicit SimulatedProtocolReader(uint8_t protocolType) : SimulatedProtocolReader(Wire{protocolType}) {}
    SimulatedProtocolReader(const SimulatedProtocolReader&) = delete;
    SimulatedProtocolReader& operator=(const SimulatedProtocolReader&) = delete;

    void Run(TavProtocol::CommandVisitor& visitor) { protocol_->Accept(visitor, *transport_); }
    // The phrases and replies also go on the timeline the test's recording delays write to.
    void RecordOn(std::shared_ptr<Timeline> timeline) { transport_->RecordOn(std::move(timeline)); }

    TavSim::SimulatedReader& Reader() { return reader_; }
    TavSim::FrontEnd& FrontEnd() {
        return featureReport_ ? static_cast<TavSim::FrontEnd&>(*featureReport_) : *serialBinary_;
    }
    InProcessTransport& Transport() { return *transport_; }

    std::vector<std::vector<uint8_t>> Sent() const {
        return featureReport_ ? featureReport_->ReceivedBytes() : serialBinary_->ReceivedBytes();
    }
    void ClearSent() {
        if (featureReport_) {
            featureReport_->ClearReceived();
        } else {
            serialBinary_->ClearReceived();
        }
    }
    void InjectFault(TavSim::FaultTrigger trigger, TavSim::Fault fault) {
        if (featureReport_) {
            featureReport_->InjectFault(std::move(trigger), fault);
        } else {
            serialBinary_->InjectFault(std::move(trigger), fault);
        }
    }

private:
    TavSim::SimulatedReader reader_;
    std::unique_ptr<TavSim::FeatureReportFrontEnd> featureReport_;
    std::unique_ptr<TavSim::SerialBinaryFrontEnd> serialBinary_;
    std::unique_ptr<TavProtocol::Protocol> protocol_;
    std::unique_ptr<InProcessTransport> transport_;
};

// What the visitor's run threw, of the library's own family (a command's file stream throws the
// family's base); an empty record when it threw nothing.
inline ProtocolFailure RunCatching(SimulatedProtocolReader& reader, TavProtocol::CommandVisitor& visitor) {
    try {
        reader.Run(visitor);
    } catch (const ElvarinException& error) {
        return {error.Message(), error.File(), error.Function()};
    }
    return {};
}

// An MFP24 request: the command's characters, '0' to byte 22, then the carriage return.
inline std::vector<uint8_t> Mfp24Request(const std::string& text) {
    std::vector<uint8_t> phrase(24, '0');
    std::copy(text.begin(), text.end(), phrase.begin());
    phrase.back() = 0x0D;
    return phrase;
}

}  // namespace TavTest
