// What the facade adds to one reader operation of one phrase (the beeper volume read, the card bit
// count): the operation through the facade's frame (lock, guards, trace line, visitor, result
// record) against the bare command the visitor runs, both over the in-process simulated reader.
// The difference is the frame's own cost; it must stay under 1 us.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "facade/ProtocolFacade.h"
#include "featureReport/GetBeeperVolumeWithFeatureReportProtocol.h"
#include "featureReport/GetCardBitCountWithFeatureReportProtocol.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "support/SimulatedFacade.h"

namespace {

// The machine is shared: the fastest repetition is the one least disturbed.
double Fastest(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

struct SimulatedReader {
    SimulatedReader() {
        frontEnd.SetRecording(false);
        reader.Model()->presentedCards.push_back({0x0107, 26, std::vector<uint8_t>(4, 0x11)});
    }
    TavSim::SimulatedReader reader;
    TavSim::FeatureReportFrontEnd frontEnd{reader};
};

// As the visitor runs it: a new command, its exchange, its result.
void BM_BareBeeperVolumeCommand(benchmark::State& state) {
    SimulatedReader simulated;
    TavTest::InProcessTransport transport(simulated.frontEnd);
    for (auto _ : state) {
        TavProtocol::GetBeeperVolumeWithFeatureReportProtocol command;
        command.Execute(transport);
        benchmark::DoNotOptimize(command.GetResult());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareBeeperVolumeCommand)->Repetitions(5)->ComputeStatistics("min", Fastest);

void BM_FacadeGetBeeperVolume(benchmark::State& state) {
    SimulatedReader simulated;
    const TavTest::SimulatedFacade opened(simulated.frontEnd, 1);
    const std::shared_ptr<TavProtocol::ProtocolFacade> facade =
        TavProtocol::ProtocolFacade::GetInstance(opened.Handle());
    if (!facade) {
        state.SkipWithError("the simulated reader did not open");
        return;
    }
    TavProtocol::BeepVolume volume{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(facade->GetBeeperVolume(volume).HasException);
        benchmark::DoNotOptimize(volume);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FacadeGetBeeperVolume)->Repetitions(5)->ComputeStatistics("min", Fastest);

void BM_BareBitCountCommand(benchmark::State& state) {
    SimulatedReader simulated;
    TavTest::InProcessTransport transport(simulated.frontEnd);
    for (auto _ : state) {
        TavProtocol::GetCardBitCountWithFeatureReportProtocol command;
        command.Execute(transport);
        benchmark::DoNotOptimize(command.GetResult());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareBitCountCommand)->Repetitions(5)->ComputeStatistics("min", Fastest);

void BM_FacadeGetCardBitCount(benchmark::State& state) {
    SimulatedReader simulated;
    const TavTest::SimulatedFacade opened(simulated.frontEnd, 1);
    const std::shared_ptr<TavProtocol::ProtocolFacade> facade =
        TavProtocol::ProtocolFacade::GetInstance(opened.Handle());
    if (!facade) {
        state.SkipWithError("the simulated reader did not open");
        return;
    }
    unsigned char bitCount = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(facade->GetCardBitCount(bitCount).HasException);
        benchmark::DoNotOptimize(bitCount);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FacadeGetCardBitCount)->Repetitions(5)->ComputeStatistics("min", Fastest);

}  // namespace

BENCHMARK_MAIN();
