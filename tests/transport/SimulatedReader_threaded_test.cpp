// The simulated reader is reached from several threads at once (a reader's polling thread through
// the hidraw interposer, the test thread changing the model): every path takes its lock.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"

namespace {

TEST(SimulatedReaderThreadedTest, ExchangesAndModelChangesFromTwoThreadsStayWhole) {
    TavSim::SimulatedReader reader;
    TavSim::FeatureReportFrontEnd frontEnd(reader);
    constexpr int kExchanges = 2000;

    std::atomic<bool> done{false};
    std::thread host([&] {
        TavTest::InProcessTransport transport(frontEnd);
        for (int i = 0; i < kExchanges; ++i) {
            TavTransport::TransportPayload payload{{0x80, 0, 0, 0, 0, 0, 0, 0}, 8, TavTransport::ReportType::Feature};
            transport.transmit(payload);
            const auto reply = transport.receive(payload);
            // Whatever configuration is active, a block is read whole: eight equal bytes.
            ASSERT_EQ(reply.size(), 8u);
            EXPECT_EQ(std::vector<uint8_t>(8, reply[0]), reply);
        }
        done = true;
    });

    for (uint8_t round = 0; !done; ++round) {
        {
            auto model = reader.Model();
            model->activeConfiguration = round % 4;
            model->ActiveConfiguration().blocks[0].fill(round);
        }
        frontEnd.InjectFault(TavSim::FaultTrigger::OnCommand({0x8F}), TavSim::Fault::NoReply(), 1);
        frontEnd.ClearFaults();
        EXPECT_LE(frontEnd.Received().size(), static_cast<std::size_t>(kExchanges));
    }
    host.join();
    EXPECT_EQ(frontEnd.Received().size(), static_cast<std::size_t>(kExchanges));
}

}  // namespace
