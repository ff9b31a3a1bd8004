// What a log call costs: below its category's level (must build nothing), in a category with no
// level at all, and enabled into a sink that discards the line.
#include <benchmark/benchmark.h>
#include <spdlog/sinks/null_sink.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "common/Logger.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// Counts every allocation of the program, so each benchmark can report allocations per call.
// Kept out of line: inlined, gcc takes the free() below for a mismatch with operator new.
[[gnu::noinline]] void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

[[gnu::noinline]] void operator delete(void* memory) noexcept { std::free(memory); }

[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using TavCommon::Logger;

Logger::Holder NullSinkLogger() {
    // The environment is read when a logger is built: COMMON admits info and above, PROTOCOL nothing.
    setenv("TAV_COMMON_LOG_LEVEL", "info", 1);
    unsetenv("TAV_PROTOCOL_LOG_LEVEL");
    unsetenv("TAV_LOG_FILE");
    return Logger::CreateWithSink(std::make_shared<spdlog::sinks::null_sink_mt>());
}

template <typename Call>
void Measure(benchmark::State& state, Call call) {
    const Logger::Holder logger = NullSinkLogger();
    const std::string reader = "reader {7}";
    const long before = allocations.load();
    for (auto _ : state) {
        call(logger, reader);
    }
    state.counters["allocs/call"] =
        benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

void BM_DisabledBelowLevel(benchmark::State& state) {
    Measure(state, [](const Logger::Holder& logger, const std::string& reader) {
        Logger::Debug(logger, TavCommon::kCommonCategory, "Opening {} with retry count {}", reader, 3);
    });
}
BENCHMARK(BM_DisabledBelowLevel);

void BM_DisabledSilentCategory(benchmark::State& state) {
    Measure(state, [](const Logger::Holder& logger, const std::string& reader) {
        Logger::Critical(logger, TavCommon::kProtocolCategory, "Opening {} with retry count {}", reader, 3);
    });
}
BENCHMARK(BM_DisabledSilentCategory);

void BM_EnabledIntoNullSink(benchmark::State& state) {
    Measure(state, [](const Logger::Holder& logger, const std::string& reader) {
        Logger::Info(logger, TavCommon::kCommonCategory, "Opening {} with retry count {}", reader, 3);
    });
}
BENCHMARK(BM_EnabledIntoNullSink);

}  // namespace

BENCHMARK_MAIN();
