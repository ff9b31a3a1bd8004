#pragma once

#include <cstdint>
#include <memory>

#include "facade/ProtocolFacade.h"
#include "sim/FrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/ScopedTransportOverride.h"

namespace TavTest {

// A facade opened, through the transport factory, on a front end of the simulated reader.
class SimulatedFacade {
public:
    SimulatedFacade(TavSim::FrontEnd& frontEnd, uint8_t protocolType)
        : override_([&frontEnd](const TavCommon::ReaderDefinition& definition) {
              return std::make_unique<InProcessTransport>(frontEnd, definition);
          }),
          handle_(TavProtocol::ProtocolFacade::CreateInstance(Definition(protocolType), 0, nullptr)) {}
    ~SimulatedFacade() { TavProtocol::ProtocolFacade::DestroyInstance(handle_); }
    SimulatedFacade(const SimulatedFacade&) = delete;
    SimulatedFacade& operator=(const SimulatedFacade&) = delete;

    bool IsOpen() const { return handle_ != 0; }
    TavProtocol::ProtocolHandle Handle() const { return handle_; }
    std::shared_ptr<const TavProtocol::ProtocolFacade> operator->() const {
        return TavProtocol::ProtocolFacade::GetInstance(handle_);
    }

private:
    static TavCommon::ReaderDefinition Definition(uint8_t protocolType) {
        TavCommon::ReaderDefinition definition{};
        definition.ProtocolType = protocolType;
        return definition;
    }

    ScopedTransportOverride override_;
    TavProtocol::ProtocolHandle handle_;
};

}  // namespace TavTest
