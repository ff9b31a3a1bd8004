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
template <typename Command>
void BM_BareCommand(benchmark::State& state) {
    SimulatedReader simulated;
    TavTest::InProcessTransport transport(simulated.frontEnd);
    for (auto _ : state) {
        Command command;
        command.Execute(transport);
        benchmark::DoNotOptimize(command.GetResult());
    }
    state.SetItemsProcessed(state.iterations());
}

template <typename Result, ProtocolCommandResult (TavProtocol::ProtocolFacade::*Operation)(Result&) const>
void BM_FacadeOperation(benchmark::State& state) {
    SimulatedReader simulated;
    const TavTest::SimulatedFacade opened(simulated.frontEnd, 1);
    const std::shared_ptr<TavProtocol::ProtocolFacade> facade =
        TavProtocol::ProtocolFacade::GetInstance(opened.Handle());
    if (!facade) {
        state.SkipWithError("the simulated reader did not open");
        return;
    }
    Result result{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(((*facade).*Operation)(result).HasException);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK_TEMPLATE(BM_BareCommand, TavProtocol::GetBeeperVolumeWithFeatureReportProtocol)
    ->Name("BM_BareBeeperVolumeCommand")
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_TEMPLATE(BM_FacadeOperation, TavProtocol::BeepVolume, &TavProtocol::ProtocolFacade::GetBeeperVolume)
    ->Name("BM_FacadeGetBeeperVolume")
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_TEMPLATE(BM_BareCommand, TavProtocol::GetCardBitCountWithFeatureReportProtocol)
    ->Name("BM_BareBitCountCommand")
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_TEMPLATE(BM_FacadeOperation, unsigned char, &TavProtocol::ProtocolFacade::GetCardBitCount)
    ->Name("BM_FacadeGetCardBitCount")
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest);

}  // namespace

BENCHMARK_MAIN();
