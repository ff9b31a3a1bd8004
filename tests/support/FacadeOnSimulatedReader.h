#pragma once

#include <cstdint>
#include <vector>

#include "facade/ProtocolFacade.h"
#include "support/ScopedTimeDelayOverride.h"
#include "support/SimulatedFacade.h"
#include "support/SimulatedProtocolReader.h"

namespace TavTest {

// A facade opened, through the transport factory, on a simulated reader of one wire protocol;
// every wait the facade's commands ask for is recorded instead of slept.
class FacadeOnSimulatedReader {
public:
    explicit FacadeOnSimulatedReader(Wire wire)
        : simulator_(wire), facade_(simulator_.FrontEnd(), static_cast<uint8_t>(wire)) {}
    // By the protocol type of a reader definition: 1 feature report, 2 MFP24, 3 serial binary.
    explicit FacadeOnSimulatedReader(uint8_t protocolType) : FacadeOnSimulatedReader(Wire{protocolType}) {}

    const TavProtocol::ProtocolFacade& Facade() const { return *facade_.operator->(); }
    bool IsOpen() const { return facade_.IsOpen(); }
    SimulatedProtocolReader& Simulator() { return simulator_; }
    TavSim::SimulatedReader& Reader() { return simulator_.Reader(); }
    TavSim::SimulatedReader::ModelAccess Model() { return simulator_.Reader().Model(); }
    std::vector<std::vector<uint8_t>> Sent() const { return simulator_.Sent(); }
    void ClearSent() { simulator_.ClearSent(); }
    void InjectFault(TavSim::FaultTrigger trigger, TavSim::Fault fault) {
        simulator_.InjectFault(std::move(trigger), fault);
    }
    const Timeline& Waits() const { return delays_.Log(); }

private:
    ScopedTimeDelayOverride delays_;
    SimulatedProtocolReader simulator_;
    SimulatedFacade facade_;
};

}  // namespace TavTest
