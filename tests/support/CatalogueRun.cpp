#include "support/CatalogueRun.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "Tavelin/ElvarinException.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"

namespace TavTest {

namespace {

class RecordingTransport : public InProcessTransport {
public:
    RecordingTransport(TavSim::FrontEnd& frontEnd, std::vector<std::vector<uint8_t>>& replies)
        : InProcessTransport(frontEnd), replies_(replies) {}

    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        return replies_.emplace_back(InProcessTransport::receive(payload));
    }

private:
    std::vector<std::vector<uint8_t>>& replies_;
};

std::unique_ptr<TavSim::FrontEnd> FrontEndFor(WireProtocol protocol, TavSim::SimulatedReader& reader) {
    switch (protocol) {
    case WireProtocol::FeatureReport:
        return std::make_unique<TavSim::FeatureReportFrontEnd>(reader);
    case WireProtocol::Mfp24:
        return std::make_unique<TavSim::FeatureReportFrontEnd>(reader, TavSim::Mfp24Commands());
    case WireProtocol::SerialBinary:
        return std::make_unique<TavSim::SerialBinaryFrontEnd>(reader);
    }
    return nullptr;
}

void Stock(TavSim::SimulatedReader& reader) {
    auto model = reader.Model();
    for (auto& configuration : model->configurations) {
        configuration.extended.fill(0xFF);
        const uint8_t header[] = {0x14, 0x41, 0x20, 0x10, 0xCA, 0x83, 0x05, 0x08};
        std::copy(std::begin(header), std::end(header), configuration.extended.begin());
    }
    model->analyzerCards = {{.cardType = 1, .bitCount = 26, .data = {0x01, 0x02, 0x03, 0x40}},
                            {.cardType = 2, .bitCount = 8, .data = {0x7E}}};
    model->presentedCards = {model->analyzerCards.begin(), model->analyzerCards.end()};
}

}  // namespace

CatalogueRun RunOnSimulatedReader(const CommandEntry& command) {
    TavSim::SimulatedReader reader;
    Stock(reader);
    const auto frontEnd = FrontEndFor(command.protocol, reader);
    InProcessTransport setUp(*frontEnd);
    if (command.name == "UpgradeFirmwareWithFeatureReportProtocol") {
        TavTransport::TransportPayload enter{{0xF0, 0x00, 0, 0, 0, 0, 0, 0}, 8, TavTransport::ReportType::Feature};
        setUp.transmit(enter);
        setUp.receive(enter);
    }
    CatalogueRun run;
    RecordingTransport transport(*frontEnd, run.replies);
    command.run(transport, 0, [&](const Step& step) {
        try {
            step();
        } catch (const ElvarinException& error) {
            run.failures.push_back(error.Message());
        }
    });
    return run;
}

}  // namespace TavTest
