#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "facade/ProtocolFacade.h"
#include "records/CardReadPayload.h"
#include "records/QueuedIdFlagParameters.h"
#include "records/QueuedIdInformation.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/FacadeTestTransport.h"
#include "support/SimulatedFacade.h"
#include "transport/TransportPayload.h"

namespace {

using namespace std::chrono_literals;
using TavProtocol::ProtocolFacade;
using TavProtocol::ProtocolHandle;

TavCommon::ReaderDefinition Definition() {
    TavCommon::ReaderDefinition definition{};
    definition.VendorId = 0x5E17;
    definition.ProductId = 0x0101;
    definition.ProtocolType = 1;
    return definition;
}

// A door that threads wait at until the test opens it.
class Gate {
public:
    void Wait() {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void WaitForWaiter() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return waiting_ > 0; });
    }
    void Open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool open_ = false;
};

TEST(ProtocolFacadeThreadedTest, OperationsFromManyThreadsRunOneAtATime) {
    auto probe = std::make_shared<TavTest::TransportProbe>();
    // A reader takes its time; without the facade's lock the threads would meet in the transport.
    probe->onTransmit = [] { std::this_thread::sleep_for(50us); };
    const TavTest::ScopedProbeTransports transports(probe);
    const ProtocolHandle handle = ProtocolFacade::CreateInstance(Definition(), 0, nullptr);
    ASSERT_NE(handle, 0U);

    constexpr int kThreads = 8;
    constexpr int kOperations = 40;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kOperations; ++i) {
                TavTransport::TransportPayload payload{
                    {static_cast<uint8_t>(t), static_cast<uint8_t>(i)}, 8, TavTransport::ReportType::Feature};
                const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(handle);
                const ProtocolCommandResult result = i % 2 == 0 ? facade->Transmit(payload) : facade->Receive(payload);
                failures += result.HasException ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ProtocolFacade::DestroyInstance(handle);

    EXPECT_EQ(failures, 0);
    EXPECT_EQ(probe->mostInside, 1) << "two operations ran in the transport at once";
    EXPECT_EQ(probe->transmitted.size(), static_cast<size_t>(kThreads * kOperations / 2));
}

// Whole card reads and queued-id reads from many threads: the simulated reader must see each
// operation's phrases together, in order, never another operation's phrase in between.
TEST(ProtocolFacadeThreadedTest, NoPhrasesOfTwoOperationsInterleaveAtTheReader) {
    TavSim::SimulatedReader reader;
    reader.Model()->presentedCards.push_back({0x0107, 200, std::vector<uint8_t>(25, 0x5C)});
    TavSim::FeatureReportFrontEnd frontEnd(reader);
    const TavTest::SimulatedFacade facade(frontEnd, 1);
    ASSERT_TRUE(facade.IsOpen());

    constexpr int kThreads = 6;
    constexpr int kOperations = 30;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kOperations; ++i) {
                if ((t + i) % 2 == 0) {
                    TavProtocol::CardReadPayload payload{};
                    const auto result =
                        facade->GetCardReadPayload(TavProtocol::GetCardDataSizeParameters::Long, payload);
                    failures += result.HasException || payload.BitCount != 200 ? 1 : 0;
                } else {
                    TavProtocol::QueuedIdInformation queued{};
                    failures += facade->GetQueuedId({static_cast<uint8_t>(t)}, queued).HasException ? 1 : 0;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, 0);

    // Each operation starts with its own first phrase and runs through its whole sequence.
    const std::vector<std::vector<uint8_t>> payloadRead = {{0x8E, 0, 0, 0, 0, 0, 0, 0},
                                                           {0x8D, 0, 0, 0, 0, 0, 0, 0},
                                                           {0x8D, 1, 0, 0, 0, 0, 0, 0},
                                                           {0x8D, 2, 0, 0, 0, 0, 0, 0},
                                                           {0x8D, 3, 0, 0, 0, 0, 0, 0}};
    const std::vector<std::vector<uint8_t>> received = frontEnd.ReceivedBytes();
    ASSERT_EQ(received.size(), static_cast<size_t>(kThreads * kOperations * 5));
    for (size_t start = 0; start < received.size(); start += 5) {
        SCOPED_TRACE(start);
        if (received[start][0] == 0x8E) {
            EXPECT_EQ(std::vector(received.begin() + start, received.begin() + start + 5), payloadRead);
            continue;
        }
        for (uint8_t part = 0; part < 5; ++part) {
            const std::vector<uint8_t>& phrase = received[start + part];
            EXPECT_EQ(std::vector(phrase.begin(), phrase.begin() + 3), (std::vector<uint8_t>{0x8C, 2, part}));
        }
    }
}

// A running operation finishes, one waiting for it is refused, and the facade stays valid until
// the refused thread has left: under AddressSanitizer a freed facade would show here.
TEST(ProtocolFacadeThreadedTest, DestroyLetsTheRunningOperationFinishAndRefusesTheWaitingOne) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        auto probe = std::make_shared<TavTest::TransportProbe>();
        Gate transmitting;
        probe->onTransmit = [&transmitting] { transmitting.Wait(); };
        const TavTest::ScopedProbeTransports transports(probe);
        const ProtocolHandle handle = ProtocolFacade::CreateInstance(Definition(), 0, nullptr);
        ASSERT_NE(handle, 0U);
        const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(handle);

        ProtocolCommandResult runningResult{};
        std::thread running([&] {
            TavTransport::TransportPayload payload{{0x8E}, 1, TavTransport::ReportType::Feature};
            runningResult = facade->Transmit(payload);
        });
        transmitting.WaitForWaiter();

        std::thread destroying([handle] { ProtocolFacade::DestroyInstance(handle); });
        while (ProtocolFacade::GetInstance(handle) != nullptr) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(20ms);  // lets DestroyInstance reach the facade's lock

        // Holds the facade it looked up before the destruction began, as a reader does.
        std::string waitingError;
        std::thread waiting([&] {
            TavTransport::TransportPayload payload{{}, 8, TavTransport::ReportType::Feature};
            try {
                facade->Receive(payload);
            } catch (const std::runtime_error& error) {
                waitingError = error.what();
            }
        });
        std::this_thread::sleep_for(20ms);  // lets the waiting thread queue behind DestroyInstance
        EXPECT_EQ(probe->destroyed, 0) << "the device must stay open while an operation runs";

        transmitting.Open();
        running.join();
        waiting.join();
        destroying.join();

        EXPECT_FALSE(runningResult.HasException) << runningResult.Message;
        EXPECT_EQ(waitingError, "ProtocolFacade instance is being destroyed");
        EXPECT_EQ(probe->destroyed, 1);
        EXPECT_EQ(probe->inside, 0);
    }
}

TEST(ProtocolFacadeThreadedTest, AReaderStillConnectingDoesNotHoldUpTheOthers) {
    auto probe = std::make_shared<TavTest::TransportProbe>();
    Gate connecting;
    std::atomic<int> inits{0};
    probe->onInit = [&](uint32_t) {
        if (inits++ == 1) {
            connecting.Wait();
        }
    };
    const TavTest::ScopedProbeTransports transports(probe);
    const ProtocolHandle open = ProtocolFacade::CreateInstance(Definition(), 0, nullptr);
    ASSERT_NE(open, 0U);

    ProtocolHandle slow = 0;
    std::thread creating([&slow] { slow = ProtocolFacade::CreateInstance(Definition(), 5, nullptr); });
    connecting.WaitForWaiter();

    // Lookups, operations and destructions go on while the second reader is still connecting.
    const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(open);
    ASSERT_NE(facade, nullptr);
    TavTransport::TransportPayload payload{{0x8E}, 1, TavTransport::ReportType::Feature};
    EXPECT_FALSE(facade->Transmit(payload).HasException);
    ProtocolFacade::DestroyInstance(open);
    EXPECT_EQ(probe->destroyed, 1);

    connecting.Open();
    creating.join();
    EXPECT_NE(slow, 0U);
    EXPECT_NE(ProtocolFacade::GetInstance(slow), nullptr);
    ProtocolFacade::DestroyInstance(slow);
}

}  // namespace
