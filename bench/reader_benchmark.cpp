// Reader objects on the simulated reader, reached in process.
//
// BM_Init: one Init (metadata, configuration scan, profile) per protocol. "phrases" is what one
// Init sends; "library_us" is the Init's time less the time spent inside the simulated reader.
// BM_CardToCallback: from the moment the simulated reader shows a card to the subscriber's
// callback, over 200 cards shown at random moments; "median_ms" and "worst_ms" against the
// 200 ms poll period ("poll_ms").
// BM_IdleReaders: 64 readers open at once, one subscriber each, idle for 10 s: "cpu_percent" of
// one core for the whole process, "threads" of the process, "rss_kib_per_reader".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "Tavelin/AbstractReader.h"
#include "Tavelin/Reader.h"
#include "common/FixedText.h"
#include "reader/GetCardDataCallbackHandler.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "support/ScopedTransportOverride.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts the time the code under test spends inside the simulated reader.
class TimedTransport : public TavTest::InProcessTransport {
public:
    TimedTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition,
                   std::atomic<int64_t>& insideNs)
        : InProcessTransport(frontEnd, definition), insideNs_(insideNs) {}
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        const auto start = Clock::now();
        auto reply = InProcessTransport::receive(payload);
        insideNs_ += (Clock::now() - start).count();
        return reply;
    }
    void transmit(TavTransport::TransportPayload& payload) override {
        const auto start = Clock::now();
        InProcessTransport::transmit(payload);
        insideNs_ += (Clock::now() - start).count();
    }

private:
    std::atomic<int64_t>& insideNs_;
};

// One simulated reader with the front end of a protocol.
struct Simulated {
    explicit Simulated(uint8_t protocol)
        : hid(protocol == 3 ? nullptr
                            : std::make_unique<TavSim::FeatureReportFrontEnd>(
                                  sim, protocol == 2 ? TavSim::Mfp24Commands() : TavSim::FeatureReportCommands())),
          serial(protocol == 3 ? std::make_unique<TavSim::SerialBinaryFrontEnd>(sim) : nullptr) {
        auto model = sim.Model();
        model->configurationCount = 4;
        model->hardwareSupported = 0x3FF;
    }
    TavSim::FrontEnd& frontEnd() {
        return hid ? static_cast<TavSim::FrontEnd&>(*hid) : static_cast<TavSim::FrontEnd&>(*serial);
    }
    std::size_t Phrases() const { return hid ? hid->ReceivedBytes().size() : serial->ReceivedBytes().size(); }
    void ClearPhrases() { hid ? hid->ClearReceived() : serial->ClearReceived(); }

    TavSim::SimulatedReader sim;
    std::unique_ptr<TavSim::FeatureReportFrontEnd> hid;
    std::unique_ptr<TavSim::SerialBinaryFrontEnd> serial;
};

TavCommon::ReaderDefinition Definition(uint8_t protocol, int index) {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = protocol;
    definition.VendorId = 0x1A2B;
    definition.ProductId = 0x00C4;
    TavCommon::CopyToFixedField(definition.SerialNumber, std::to_string(index));
    return definition;
}

std::shared_ptr<Tav::Reader> Lookup(void* handle) {
    return std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
}

void BM_Init(benchmark::State& state) {
    const auto protocol = static_cast<uint8_t>(state.range(0));
    Simulated simulated(protocol);
    std::atomic<int64_t> insideNs{0};
    const TavTest::ScopedTransportOverride override([&](const TavCommon::ReaderDefinition& definition) {
        return std::make_unique<TimedTransport>(simulated.frontEnd(), definition, insideNs);
    });
    void* handle = Tav::AbstractReader::CreateReaderInstance(Definition(protocol, 0), 0);
    const auto reader = Lookup(handle);
    int64_t totalNs = 0;
    std::size_t phrases = 0;
    for (auto _ : state) {
        simulated.ClearPhrases();
        insideNs = 0;
        const auto start = Clock::now();
        reader->Init();
        totalNs += (Clock::now() - start).count() - insideNs.load();
        phrases = simulated.Phrases();
    }
    state.counters["phrases"] = static_cast<double>(phrases);
    state.counters["library_us"] = static_cast<double>(totalNs) / 1e3 / static_cast<double>(state.iterations());
    Tav::AbstractReader::DestroyInstance(handle);
}
BENCHMARK(BM_Init)->ArgName("protocol")->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_CardToCallback(benchmark::State& state) {
    constexpr int kCards = 200;
    Simulated simulated(1);
    const TavTest::ScopedTransportOverride override([&](const TavCommon::ReaderDefinition& definition) {
        return std::make_unique<TavTest::InProcessTransport>(simulated.frontEnd(), definition);
    });
    void* handle = Tav::AbstractReader::CreateReaderInstance(Definition(1, 0), 0);
    const auto reader = Lookup(handle);
    reader->Init();

    std::mutex mutex;
    std::condition_variable arrived;
    Clock::time_point shownAt;
    std::vector<double> latenciesMs;
    reader->OnCredentialPresented(
        [&](Tav::CardData&) {
            const auto now = Clock::now();
            const std::lock_guard lock(mutex);
            latenciesMs.push_back(std::chrono::duration<double, std::milli>(now - shownAt).count());
            arrived.notify_all();
        },
        TavProtocol::GetCardDataSizeParameters::Long);

    std::mt19937 random(42);
    std::uniform_int_distribution<int> phaseMs(0, 199);
    for (auto _ : state) {
        for (int card = 0; card < kCards; ++card) {
            // Removed for a full poll, then shown at a random point of the poll period.
            std::this_thread::sleep_for(std::chrono::milliseconds(250 + phaseMs(random)));
            {
                std::unique_lock lock(mutex);
                shownAt = Clock::now();
                simulated.sim.Model()->presentedCards.push_back(
                    {0x0001, 26, {static_cast<uint8_t>(card), static_cast<uint8_t>(card >> 8), 0x5A, 0xC0}});
                arrived.wait_for(lock, std::chrono::seconds(2),
                                 [&] { return latenciesMs.size() == static_cast<std::size_t>(card + 1); });
            }
            simulated.sim.Model()->presentedCards.clear();
        }
    }
    std::vector<double> sorted = latenciesMs;
    std::sort(sorted.begin(), sorted.end());
    state.counters["cards"] = static_cast<double>(sorted.size());
    state.counters["median_ms"] = sorted.empty() ? 0 : sorted[sorted.size() / 2];
    state.counters["worst_ms"] = sorted.empty() ? 0 : sorted.back();
    state.counters["poll_ms"] =
        static_cast<double>(Tav::GetCardDataCallbackHandler::kDefaultPollPeriod.count());
    Tav::AbstractReader::DestroyInstance(handle);
}
BENCHMARK(BM_CardToCallback)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::size_t ThreadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

void BM_IdleReaders(benchmark::State& state) {
    constexpr int kReaders = 64;
    constexpr auto kIdle = std::chrono::seconds(10);
    std::vector<std::unique_ptr<Simulated>> simulated;
    for (int i = 0; i < kReaders; ++i) {
        simulated.push_back(std::make_unique<Simulated>(1));
    }
    const TavTest::ScopedTransportOverride override([&](const TavCommon::ReaderDefinition& definition) {
        const int index = std::stoi(std::string(TavCommon::ReadFixedField(definition.SerialNumber)));
        return std::make_unique<TavTest::InProcessTransport>(simulated.at(index)->frontEnd(), definition);
    });
    for (auto& one : simulated) {
        one->hid->SetRecording(false);  // ten seconds of polls are counted, not kept
    }
    for (auto _ : state) {
        const long residentBefore = ResidentKiB();
        std::vector<void*> handles;
        for (int i = 0; i < kReaders; ++i) {
            handles.push_back(Tav::AbstractReader::CreateReaderInstance(Definition(1, i), 0));
            const auto reader = Lookup(handles.back());
            reader->Init();
            reader->OnCredentialPresented([](Tav::CardData&) {}, TavProtocol::GetCardDataSizeParameters::Long);
        }
        const long residentOpen = ResidentKiB();
        const double cpuBefore = ProcessCpuSeconds();
        std::this_thread::sleep_for(kIdle);
        const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
        state.counters["threads"] = static_cast<double>(ThreadCount());
        state.counters["cpu_percent"] =
            100.0 * cpuSeconds / std::chrono::duration<double>(kIdle).count();
        state.counters["rss_kib_per_reader"] = static_cast<double>(residentOpen - residentBefore) / kReaders;
        for (void* handle : handles) {
            Tav::AbstractReader::DestroyInstance(handle);
        }
    }
}
BENCHMARK(BM_IdleReaders)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
