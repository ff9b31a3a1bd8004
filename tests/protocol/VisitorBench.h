#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "core/Protocol.h"
#include "featureReport/FeatureReportProtocol.h"
#include "mfp24/Mfp24Protocol.h"
#include "serialBinary/SerialBinaryProtocol.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "support/ProtocolFailure.h"
#include "support/Timeline.h"
#include "visitors/CommandVisitor.h"

namespace TavTest {

// The three wire protocols, numbered as reader definitions number them.
enum class Wire : uint8_t { FeatureReport = 1, Mfp24 = 2, SerialBinary = 3 };

inline const char* WireName(Wire wire) {
    switch (wire) {
    case Wire::FeatureReport:
        return "feature report";
    case Wire::Mfp24:
        return "MFP24";
    case Wire::SerialBinary:
        return "serial binary";
    }
    return "?";
}

inline constexpr Wire kAllWires[] = {Wire::FeatureReport, Wire::Mfp24, Wire::SerialBinary};

// A simulated reader of one wire protocol in process, with the protocol object a facade holds:
// a visitor runs against it exactly as a facade operation runs it.
class VisitorBench {
public:
    explicit VisitorBench(Wire wire) : wire_(wire) {
        switch (wire) {
        case Wire::FeatureReport:
            featureReport_ = std::make_unique<TavSim::FeatureReportFrontEnd>(reader_);
            protocol_ = std::make_unique<TavProtocol::FeatureReportProtocol>();
            break;
        case Wire::Mfp24:
            featureReport_ = std::make_unique<TavSim::FeatureReportFrontEnd>(reader_, TavSim::Mfp24Commands());
            protocol_ = std::make_unique<TavProtocol::Mfp24Protocol>();
            break;
        case Wire::SerialBinary:
            serialBinary_ = std::make_unique<TavSim::SerialBinaryFrontEnd>(reader_);
            protocol_ = std::make_unique<TavProtocol::SerialBinaryProtocol>();
            break;
        }
        transport_ = std::make_unique<InProcessTransport>(FrontEnd());
    }

    void Run(TavProtocol::CommandVisitor& visitor) { protocol_->Accept(visitor, *transport_); }
    // The phrases and replies also go on the timeline the test's recording delays write to.
    void RecordOn(std::shared_ptr<Timeline> timeline) { transport_->RecordOn(std::move(timeline)); }

    TavSim::SimulatedReader& Reader() { return reader_; }
    std::vector<std::vector<uint8_t>> Sent() const {
        return featureReport_ ? featureReport_->ReceivedBytes() : serialBinary_->ReceivedBytes();
    }
    void InjectFault(TavSim::FaultTrigger trigger, TavSim::Fault fault) {
        if (featureReport_) {
            featureReport_->InjectFault(std::move(trigger), fault);
        } else {
            serialBinary_->InjectFault(std::move(trigger), fault);
        }
    }
    TavSim::FrontEnd& FrontEnd() {
        return featureReport_ ? static_cast<TavSim::FrontEnd&>(*featureReport_) : *serialBinary_;
    }
    Wire GetWire() const { return wire_; }

private:
    Wire wire_;
    TavSim::SimulatedReader reader_;
    std::unique_ptr<TavSim::FeatureReportFrontEnd> featureReport_;
    std::unique_ptr<TavSim::SerialBinaryFrontEnd> serialBinary_;
    std::unique_ptr<TavProtocol::Protocol> protocol_;
    std::unique_ptr<InProcessTransport> transport_;
};

// What the visitor's run threw, of the library's own family (a command's file stream throws the
// family's base); an empty record when it threw nothing.
inline ProtocolFailure RunCatching(VisitorBench& bench, TavProtocol::CommandVisitor& visitor) {
    try {
        bench.Run(visitor);
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
