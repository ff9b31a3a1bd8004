#include "support/CatalogueRun.h"

#include <memory>

#include "Tavelin/ElvarinException.h"
#include "facade/ProtocolFacade.h"
#include "support/InProcessTransport.h"
#include "support/ScopedTimeDelayOverride.h"
#include "support/ScopedTransportOverride.h"
#include "support/SimulatedProtocolReader.h"
#include "support/StockedReader.h"

namespace TavTest {

namespace {

class RecordingTransport : public InProcessTransport {
public:
    RecordingTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition,
                       std::vector<std::vector<uint8_t>>& replies)
        : InProcessTransport(frontEnd, definition), replies_(replies) {}

    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        return replies_.emplace_back(InProcessTransport::receive(payload));
    }

private:
    std::vector<std::vector<uint8_t>>& replies_;
};

}  // namespace

CatalogueRun RunOnSimulatedReader(const CommandEntry& command) {
    SimulatedProtocolReader reader(command.protocol);
    StockAsInUse(reader.Reader());
    InProcessTransport setUp(reader.FrontEnd());
    if (command.name == "UpgradeFirmwareWithFeatureReportProtocol") {
        TavTransport::TransportPayload enter{{0xF0, 0x00, 0, 0, 0, 0, 0, 0}, 8, TavTransport::ReportType::Feature};
        setUp.transmit(enter);
        setUp.receive(enter);
    }
    CatalogueRun run;
    RecordingTransport transport(reader.FrontEnd(), TavCommon::ReaderDefinition{}, run.replies);
    command.run(transport, 0, [&](const Step& step) {
        try {
            step();
        } catch (const ElvarinException& error) {
            run.failures.push_back(error.Message());
        }
    });
    return run;
}

CatalogueRun RunOnSimulatedFacade(const OperationEntry& operation, uint8_t protocolType) {
    SimulatedProtocolReader reader(Wire{protocolType});
    StockAsInUse(reader.Reader());
    CatalogueRun run;
    const ScopedTimeDelayOverride noWaits;
    const ScopedTransportOverride transports([&](const TavCommon::ReaderDefinition& definition) {
        return std::make_unique<RecordingTransport>(reader.FrontEnd(), definition, run.replies);
    });
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = protocolType;
    ProtocolCommandResult opened{};
    const auto handle = TavProtocol::ProtocolFacade::CreateInstance(definition, 0, &opened);
    if (handle == 0) {
        run.failures.emplace_back(opened.Message);
        return run;
    }
    const ProtocolCommandResult result = operation.run(*TavProtocol::ProtocolFacade::GetInstance(handle), 0);
    TavProtocol::ProtocolFacade::DestroyInstance(handle);
    if (result.HasException) {
        run.failures.emplace_back(result.Message);
    }
    return run;
}

}  // namespace TavTest
