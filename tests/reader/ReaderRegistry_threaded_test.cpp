#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "reader/ReaderOnSimulator.h"
#include "reader/TimeLimit.h"
#include "sim/FeatureReportFrontEnd.h"
#include "support/InProcessTransport.h"
#include "support/ScopedTransportOverride.h"

namespace {

using namespace std::chrono_literals;
using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using Size = TavProtocol::GetCardDataSizeParameters;

bool WaitUntilDone(const std::atomic<int>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (done < 30) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

// A transport whose device takes its time to open.
class SlowOpeningTransport : public TavTest::InProcessTransport {
public:
    using InProcessTransport::InProcessTransport;
    void init(uint32_t retryCount) override {
        std::this_thread::sleep_for(1500ms);
        InProcessTransport::init(retryCount);
    }
};

TEST(ReaderRegistryThreads, ASlowOpenDoesNotStallCallsOnOtherReaders) {
    const TavTest::TimeLimit limit(30s);
    TavSim::SimulatedReader fast;
    TavSim::FeatureReportFrontEnd fastFrontEnd(fast);
    TavSim::SimulatedReader slow;
    TavSim::FeatureReportFrontEnd slowFrontEnd(slow);
    const TavTest::ScopedTransportOverride override(
        [&](const TavCommon::ReaderDefinition& definition) -> std::unique_ptr<TavTransport::Transport> {
            if (definition.VendorId == 2) {
                return std::make_unique<SlowOpeningTransport>(slowFrontEnd, definition);
            }
            return std::make_unique<TavTest::InProcessTransport>(fastFrontEnd, definition);
        });
    TavCommon::ReaderDefinition definition = ReaderOnSimulator::Definition(Wire::FeatureReport);
    void* open = Tav::AbstractReader::CreateReaderInstance(definition, 0);

    std::atomic<bool> slowOpened{false};
    definition.VendorId = 2;
    void* slowHandle = nullptr;
    std::thread opener([&] {
        slowHandle = Tav::AbstractReader::CreateReaderInstance(definition, 0);
        slowOpened = true;
    });
    std::this_thread::sleep_for(200ms);
    const auto start = std::chrono::steady_clock::now();
    const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(open));
    ASSERT_NE(reader, nullptr);
    reader->Init();
    Tav::AbstractReader::DestroyInstance(open);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(slowOpened.load());
    EXPECT_LT(took, 1000ms);
    opener.join();
    EXPECT_NE(Tav::AbstractReader::GetInstance(slowHandle), nullptr);
    Tav::AbstractReader::DestroyInstance(slowHandle);
}

// Operations on one thread, a repeated Init and then the destroy on others: an operation either
// runs or is refused, never touches a freed profile, facade or reader.
TEST(ReaderRegistryThreads, OperationsRacingInitAndDestroyAreSafe) {
    const TavTest::TimeLimit limit(60s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.OpenInitialised();
    void* handle = simulated.handle;
    simulated.reader.reset();
    std::atomic<bool> running{true};
    std::atomic<int> done{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            while (running) {
                const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
                if (!reader) {
                    break;  // destroyed: the handle is simply not found
                }
                try {
                    if (t == 0) {
                        reader->Init();
                    } else {
                        Tav::CardData card;
                        reader->GetCardData(card, Size::Long);
                        Tav::LedConfiguration led{};
                        reader->GetLedConfiguration(1, led);
                    }
                    ++done;
                } catch (const std::exception&) {
                    // Refused after the destroy began.
                }
            }
        });
    }
    ASSERT_TRUE(WaitUntilDone(done));
    Tav::AbstractReader::DestroyInstance(handle);
    simulated.handle = nullptr;
    running = false;
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(Tav::AbstractReader::GetInstance(handle), nullptr);
}

}  // namespace
