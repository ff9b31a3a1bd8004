#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "facade/ProtocolFacade.h"
#include "sim/CommandTables.h"
#include "sim/Fault.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/SimulatedFacade.h"

namespace TavTest {

// A simulated reader of one protocol (1 feature report, 2 MFP24, 3 serial binary) behind a facade,
// with the front end that protocol needs.
class SimulatedReaderFacade {
public:
    explicit SimulatedReaderFacade(uint8_t protocol) {
        if (protocol == 3) {
            serial_ = std::make_unique<TavSim::SerialBinaryFrontEnd>(reader_);
            facade_ = std::make_unique<SimulatedFacade>(*serial_, protocol);
        } else {
            featureReport_ = protocol == 2
                                 ? std::make_unique<TavSim::FeatureReportFrontEnd>(reader_, TavSim::Mfp24Commands())
                                 : std::make_unique<TavSim::FeatureReportFrontEnd>(reader_);
            facade_ = std::make_unique<SimulatedFacade>(*featureReport_, protocol);
        }
    }

    const TavProtocol::ProtocolFacade& Facade() const { return *facade_->operator->(); }
    std::vector<std::vector<uint8_t>> Sent() const {
        return serial_ ? serial_->ReceivedBytes() : featureReport_->ReceivedBytes();
    }
    void ClearSent() {
        if (serial_) {
            serial_->ClearReceived();
        } else {
            featureReport_->ClearReceived();
        }
    }
    void InjectFault(TavSim::FaultTrigger trigger, TavSim::Fault fault) {
        if (serial_) {
            serial_->InjectFault(std::move(trigger), fault);
        } else {
            featureReport_->InjectFault(std::move(trigger), fault);
        }
    }
    TavSim::SimulatedReader& Reader() { return reader_; }

private:
    TavSim::SimulatedReader reader_;
    std::unique_ptr<TavSim::FeatureReportFrontEnd> featureReport_;
    std::unique_ptr<TavSim::SerialBinaryFrontEnd> serial_;
    std::unique_ptr<SimulatedFacade> facade_;
};

}  // namespace TavTest
