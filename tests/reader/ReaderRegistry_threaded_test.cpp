#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
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

// Holds a thread (opening a device, waiting for a reply) until the test lets it go on.
class Gate {
public:
    // On the held thread: waits for Release, or gives up after a time no test waits for.
    void Pass() {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        gaveUp_ = !changed_.wait_for(lock, 10s, [this] { return released_; });
    }
    void AwaitEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return entered_; });
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    bool GaveUp() const {
        const std::lock_guard lock(mutex_);
        return gaveUp_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool released_ = false;
    bool gaveUp_ = false;
};

// A transport whose device opens only when its gate lets it.
class GatedOpeningTransport : public TavTest::InProcessTransport {
public:
    GatedOpeningTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition, Gate& gate)
        : InProcessTransport(frontEnd, definition), gate_(gate) {}
    void init(uint32_t retryCount) override {
        gate_.Pass();
        InProcessTransport::init(retryCount);
    }

private:
    Gate& gate_;
};

// A transport whose next reply, once armed, waits for the gate.
class GatedReplyTransport : public TavTest::InProcessTransport {
public:
    GatedReplyTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition, Gate& gate,
                        std::atomic<bool>& armed)
        : InProcessTransport(frontEnd, definition), gate_(gate), armed_(armed) {}
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        if (armed_.exchange(false)) {
            gate_.Pass();
        }
        return InProcessTransport::receive(payload);
    }

private:
    Gate& gate_;
    std::atomic<bool>& armed_;
};

TEST(ReaderRegistryThreads, ASlowOpenDoesNotStallCallsOnOtherReaders) {
    const TavTest::TimeLimit limit(30s);
    TavSim::SimulatedReader fast;
    TavSim::FeatureReportFrontEnd fastFrontEnd(fast);
    TavSim::SimulatedReader slow;
    TavSim::FeatureReportFrontEnd slowFrontEnd(slow);
    Gate gate;
    const TavTest::ScopedTransportOverride override(
        [&](const TavCommon::ReaderDefinition& definition) -> std::unique_ptr<TavTransport::Transport> {
            if (definition.VendorId == 2) {
                return std::make_unique<GatedOpeningTransport>(slowFrontEnd, definition, gate);
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
    gate.AwaitEntered();
    // The other reader's device is still opening: these calls finish before it may.
    const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(open));
    EXPECT_NE(reader, nullptr);
    if (reader) {
        reader->Init();
    }
    Tav::AbstractReader::DestroyInstance(open);
    EXPECT_FALSE(slowOpened.load());
    gate.Release();
    opener.join();
    EXPECT_FALSE(gate.GaveUp()) << "calls on another reader waited for a reader's opening";
    EXPECT_NE(Tav::AbstractReader::GetInstance(slowHandle), nullptr);
    Tav::AbstractReader::DestroyInstance(slowHandle);
}

// A reader's operation holds the reader's own mutex only while it checks its capabilities: while
// one thread's card read waits for its reply, another thread gets the reader's metadata.
TEST(ReaderRegistryThreads, AnExchangeInProgressDoesNotHoldUpTheReader) {
    const TavTest::TimeLimit limit(30s);
    TavSim::SimulatedReader sim;
    TavSim::FeatureReportFrontEnd frontEnd(sim);
    Gate gate;
    std::atomic<bool> armed{false};
    const TavTest::ScopedTransportOverride override([&](const TavCommon::ReaderDefinition& definition) {
        return std::make_unique<GatedReplyTransport>(frontEnd, definition, gate, armed);
    });
    void* handle = Tav::AbstractReader::CreateReaderInstance(ReaderOnSimulator::Definition(Wire::FeatureReport), 0);
    const auto reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
    ASSERT_NE(reader, nullptr);
    reader->Init();

    armed = true;
    std::thread cardReader([&] {
        Tav::CardData card;
        reader->GetCardData(card, Size::Long);
    });
    gate.AwaitEntered();
    const ReaderMetadataStruct metadata = reader->GetMetadataStruct(false);
    gate.Release();
    cardReader.join();
    EXPECT_FALSE(gate.GaveUp()) << "the metadata waited for another thread's exchange";
    EXPECT_EQ(int32_t{metadata.ConfigurationCount}, 4);
    Tav::AbstractReader::DestroyInstance(handle);
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
