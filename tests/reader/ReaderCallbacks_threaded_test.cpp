#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Tavelin.h"
#include "Tavelin/ReaderException.h"
#include "common/FixedText.h"
#include "reader/ReaderOnSimulator.h"
#include "reader/TimeLimit.h"

namespace {

using namespace std::chrono_literals;
using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using ::testing::ElementsAre;
using Size = TavProtocol::GetCardDataSizeParameters;

constexpr auto kPoll = 200ms;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

void Present(ReaderOnSimulator& simulated, uint8_t first) {
    simulated.sim.Model()->presentedCards.push_back({0x0001, 26, {first, 0x22, 0x33, 0xC0}});
}
void RemoveCard(ReaderOnSimulator& simulated) { simulated.sim.Model()->presentedCards.clear(); }

// What one subscriber received: the first byte and bit count of each card.
class Received {
public:
    Tav::Reader::CardCallback Callback() {
        return [this](Tav::CardData& card) {
            const std::lock_guard lock(mutex_);
            cards_.push_back(card.data.empty() ? 0 : card.data[0]);
            bits_.push_back(card.bitCount);
        };
    }
    std::vector<uint8_t> Cards() const {
        const std::lock_guard lock(mutex_);
        return cards_;
    }
    std::vector<uint32_t> Bits() const {
        const std::lock_guard lock(mutex_);
        return bits_;
    }
    bool AwaitCount(std::size_t count, std::chrono::milliseconds limit = 5s) const {
        return WaitUntil([&] { return Cards().size() >= count; }, limit);
    }

private:
    mutable std::mutex mutex_;
    std::vector<uint8_t> cards_;
    std::vector<uint32_t> bits_;
};

class ReaderCallbacks : public ::testing::TestWithParam<Wire> {};

TEST_P(ReaderCallbacks, ACardReachesEverySubscriberOnceWhileHeld) {
    const TavTest::TimeLimit limit(30s);
    ReaderOnSimulator simulated(GetParam());
    Tav::Reader& reader = simulated.OpenInitialised();
    Received first;
    Received second;
    reader.OnCredentialPresented(first.Callback(), Size::Long);
    reader.OnCredentialPresented(second.Callback(), Size::Long);
    Present(simulated, 0x11);
    ASSERT_TRUE(first.AwaitCount(1));
    ASSERT_TRUE(second.AwaitCount(1));
    std::this_thread::sleep_for(3 * kPoll);  // still on the reader: not again
    EXPECT_THAT(first.Cards(), ElementsAre(0x11));
    EXPECT_THAT(first.Bits(), ElementsAre(26));
    RemoveCard(simulated);
    std::this_thread::sleep_for(2 * kPoll);
    Present(simulated, 0x11);
    ASSERT_TRUE(first.AwaitCount(2));
    ASSERT_TRUE(second.AwaitCount(2));
    EXPECT_THAT(second.Cards(), ElementsAre(0x11, 0x11));
}

INSTANTIATE_TEST_SUITE_P(Wires, ReaderCallbacks, ::testing::Values(Wire::FeatureReport, Wire::SerialBinary),
                         [](const auto& info) { return std::string(TavTest::WireParamName(info.param)); });

TEST(ReaderCallbacks, ASubscriptionBeforeInitWaitsForItAndTheLastUnsubscribeStopsPolling) {
    const TavTest::TimeLimit limit(30s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.Open();
    Received received;
    const unsigned id = reader.OnCredentialPresented(received.Callback(), Size::Long);
    EXPECT_NE(id, 0U);
    Present(simulated, 0x21);
    std::this_thread::sleep_for(2 * kPoll);
    EXPECT_TRUE(simulated.Phrases().empty());
    reader.Init();
    ASSERT_TRUE(received.AwaitCount(1));
    reader.UnsubscribeCredentialCallback(id);
    const std::size_t phrases = simulated.Phrases().size();
    std::this_thread::sleep_for(2 * kPoll);
    EXPECT_EQ(simulated.Phrases().size(), phrases);
}

std::atomic<int> hostCallbackCards{0};
void CountHostCard(const uint8_t*, uint32_t) { ++hostCallbackCards; }

// A size the reader does not know would fail every poll, and a poll's failure is only logged: the
// subscription is refused instead, through the class and the exported function alike.
TEST(ReaderCallbacks, AnUnknownSizeIsRefusedAndSubscribesNothing) {
    const TavTest::TimeLimit limit(30s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    Received refused;
    for (const uint8_t size : {0, 3, 255}) {
        SCOPED_TRACE(int{size});
        try {
            reader.OnCredentialPresented(refused.Callback(), static_cast<Size>(size));
            ADD_FAILURE() << "subscribed";
        } catch (const Tav::ReaderException& error) {
            EXPECT_EQ(error.Message(), "Size parameter must be between 0x01 and 0x02");
        }
        TavResult result;
        EXPECT_EQ(TavReader_OnCredentialPresented(&result, simulated.handle, CountHostCard, size), 0u);
        EXPECT_EQ(result.Code, 1);
        EXPECT_EQ(TavCommon::ReadFixedField(result.Message), "Size parameter must be between 0x01 and 0x02");
    }
    // Subscribers are called in the order they subscribed: a refused one, had it been kept, would
    // have had the card before this one.
    Received accepted;
    reader.OnCredentialPresented(accepted.Callback(), Size::Long);
    Present(simulated, 0x61);
    ASSERT_TRUE(accepted.AwaitCount(1));
    EXPECT_TRUE(refused.Cards().empty());
    EXPECT_EQ(hostCallbackCards, 0);
}

TEST(ReaderCallbacks, ACallbackMayUnsubscribeItselfAndTheReaderGoesOn) {
    const TavTest::TimeLimit limit(30s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    std::atomic<unsigned> id{0};
    std::atomic<int> calls{0};
    id = reader.OnCredentialPresented(
        [&](Tav::CardData&) {
            reader.UnsubscribeCredentialCallback(id);
            ++calls;
        },
        Size::Long);
    Present(simulated, 0x31);
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    RemoveCard(simulated);
    // A new subscription on the host's thread polls again.
    Received received;
    reader.OnCredentialPresented(received.Callback(), Size::Long);
    std::this_thread::sleep_for(kPoll);
    Present(simulated, 0x32);
    ASSERT_TRUE(received.AwaitCount(1));
    EXPECT_THAT(received.Cards(), ElementsAre(0x32));
    EXPECT_EQ(calls, 1);
}

TEST(ReaderCallbacks, ACallbackMayCloseItsReader) {
    const TavTest::TimeLimit limit(30s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    std::atomic<bool> closed{false};
    reader.OnCredentialPresented(
        [&](Tav::CardData&) {
            reader.Close();
            closed = true;
        },
        Size::Long);
    Present(simulated, 0x41);
    ASSERT_TRUE(WaitUntil([&] { return closed.load(); }));
    const std::size_t phrases = simulated.Phrases().size();
    std::this_thread::sleep_for(2 * kPoll);
    EXPECT_EQ(simulated.Phrases().size(), phrases);
    EXPECT_THROW(reader.Init(), std::runtime_error);
    simulated.Close();  // the destroy joins the thread that closed the reader
}

TEST(ReaderCallbacks, DestroyingAReaderFromItsOwnCallbackIsRefusedAndTheReaderStaysUsable) {
    const TavTest::TimeLimit limit(30s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    std::mutex mutex;
    std::string refusal;
    std::atomic<int> calls{0};
    reader.OnCredentialPresented(
        [&](Tav::CardData&) {
            try {
                Tav::AbstractReader::DestroyInstance(simulated.handle);
            } catch (const Tav::ReaderException& error) {
                const std::lock_guard lock(mutex);
                refusal = error.Message();
            }
            ++calls;
        },
        Size::Long);
    Present(simulated, 0x51);
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    {
        const std::lock_guard lock(mutex);
        EXPECT_EQ(refusal, "Cannot close a reader from inside its own card callback");
    }
    ASSERT_NE(Tav::AbstractReader::GetInstance(simulated.handle), nullptr);
    Tav::LedConfiguration led{};
    EXPECT_NO_THROW(reader.GetLedConfiguration(0, led));
    RemoveCard(simulated);
    std::this_thread::sleep_for(2 * kPoll);
    Present(simulated, 0x52);
    ASSERT_TRUE(WaitUntil([&] { return calls == 2; }));
}

// Hosts subscribe, unsubscribe, re-initialise and read metadata from several threads while cards
// come and go: a subscriber that stays throughout sees every card exactly once, and nothing hangs.
TEST(ReaderCallbacks, EveryCardOnceWhileOtherThreadsChurn) {
    const TavTest::TimeLimit limit(110s);
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    Received steady;
    reader.OnCredentialPresented(steady.Callback(), Size::Long);

    std::atomic<bool> churning{true};
    std::vector<std::thread> hosts;
    for (int t = 0; t < 3; ++t) {
        hosts.emplace_back([&, t] {
            while (churning) {
                const unsigned id = reader.OnCredentialPresented([](Tav::CardData&) {}, Size::Long);
                if (t == 0) {
                    reader.Init();
                } else if (t == 1) {
                    reader.GetMetadataStruct(true);
                } else {
                    Tav::LedConfiguration led{};
                    reader.GetLedConfiguration(0, led);
                }
                reader.UnsubscribeCredentialCallback(id);
                // Room for the polls on a small, loaded machine; the calls still overlap them.
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    std::vector<uint8_t> shown;
    for (uint8_t card = 1; card <= 8; ++card) {
        Present(simulated, card);
        shown.push_back(card);
        ASSERT_TRUE(steady.AwaitCount(shown.size(), 10s)) << "card " << int{card} << " never arrived";
        RemoveCard(simulated);
        // Long enough for a poll to see the reader empty, however busy the facade is.
        const std::size_t phrases = simulated.Phrases().size();
        ASSERT_TRUE(WaitUntil([&] { return simulated.Phrases().size() > phrases + 40; }, 10s));
        std::this_thread::sleep_for(kPoll + 100ms);
    }
    churning = false;
    for (std::thread& host : hosts) {
        host.join();
    }
    EXPECT_EQ(steady.Cards(), shown);
}

}  // namespace
