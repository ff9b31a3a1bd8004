// One serial-binary exchange over a pseudo-terminal against the simulated reader's reply time.
// A serial reply has no length of its own: it ends once the line has been quiet for one receive
// delay. So an exchange cannot cost less than the round trip of its reply plus one receive delay,
// and it must not cost more: nothing of the receive window may sleep past the reply.
//
// Arguments: the reader's reply time and the receive delay, in milliseconds. "budget_ms" is the
// reply time plus the receive delay; compare it (plus the bare round trip's few tenths of a
// millisecond on the line) with the exchange's time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"
#include "SerialPort.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SerialLineServer.h"
#include "sim/SimulatedReader.h"
#include "transport/SerialTransport.h"

namespace {

using std::chrono::milliseconds;

const std::vector<uint8_t> kGetLuid{0xFA, 0x05, 0x00, 0x00, 0x08};
constexpr std::size_t kLuidReplyLength = 11;

// The machine is shared: the fastest repetition is the one least disturbed.
double Fastest(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

struct SimulatedSerialReader {
    explicit SimulatedSerialReader(milliseconds replyTime) : line(frontEnd, replyTime) {}
    TavSim::SimulatedReader reader;
    TavSim::SerialBinaryFrontEnd frontEnd{reader};
    TavSim::SerialLineServer line;
};

void SetCounters(benchmark::State& state) {
    state.counters["reply_ms"] = static_cast<double>(state.range(0));
    state.counters["receive_delay_ms"] = static_cast<double>(state.range(1));
    state.counters["budget_ms"] = static_cast<double>(state.range(0) + state.range(1));
}

// The line and the reader alone: the frame out, the reply's eleven bytes back, read the moment
// they are all there (its length is known here, as the library cannot know it).
void BM_BareRoundTrip(benchmark::State& state) {
    SimulatedSerialReader simulated(milliseconds(state.range(0)));
    mn::CppLinuxSerial::SerialPort port(simulated.line.SlaveName(), 250000u);
    port.SetTimeout(0);
    port.Open();
    for (auto _ : state) {
        port.WriteBinary(kGetLuid);
        std::vector<uint8_t> reply;
        while (reply.size() < kLuidReplyLength && port.WaitForInput(1000)) {
            port.ReadBinary(reply);
        }
        benchmark::DoNotOptimize(reply);
    }
    SetCounters(state);
}

// The library's exchange: a whole GetLuid command over the serial transport.
void BM_SerialExchange(benchmark::State& state) {
    SimulatedSerialReader simulated(milliseconds(state.range(0)));
    TavTransport::SerialTransport transport(simulated.line.Definition());
    transport.init(0);
    transport.setReceiveDelayMs(static_cast<uint32_t>(state.range(1)));
    TavProtocol::GetLuidWithSerialBinaryProtocol command;
    for (auto _ : state) {
        command.Execute(transport);
        command.ValidateResponse();
        benchmark::DoNotOptimize(command.GetResult());
    }
    SetCounters(state);
}

void Arguments(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"reply_ms", "delay_ms"})
        ->Args({2, 10})
        ->Args({2, 25})
        ->Args({10, 25})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(3)
        ->ComputeStatistics("min", Fastest);
}

BENCHMARK(BM_BareRoundTrip)->Apply(Arguments);
BENCHMARK(BM_SerialExchange)->Apply(Arguments);

}  // namespace

BENCHMARK_MAIN();
