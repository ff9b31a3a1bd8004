#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Tavelin/ReaderException.h"
#include "reader/GetCardDataCallbackHandler.h"
#include "reader/TimeLimit.h"

namespace {

using namespace std::chrono_literals;
using Tav::CardData;
using Tav::GetCardDataCallbackHandler;
using ::testing::ElementsAre;

CardData Card(uint8_t first, uint32_t bits = 26) {
    std::vector<uint8_t> bytes(32, 0);
    bytes[0] = first;
    return CardData(bytes, bits);
}

// What the reader holds, changed by the test while the polling thread reads it.
class FakeReader {
public:
    void Present(uint8_t first) {
        const std::lock_guard lock(mutex_);
        card_ = first;
    }
    void Remove() {
        const std::lock_guard lock(mutex_);
        card_.reset();
    }
    void Read(CardData& card) {
        {
            const std::lock_guard lock(mutex_);
            if (card_) {
                card = Card(*card_);
            }
        }
        ++reads_;
    }
    // Waits until the polling thread has read at least `count` more times.
    void AwaitReads(int count) {
        const int target = reads_.load() + count;
        while (reads_.load() < target) {
            std::this_thread::sleep_for(1ms);
        }
    }
    GetCardDataCallbackHandler::PollFunction PollFunction() {
        return [this](CardData& card) { Read(card); };
    }

private:
    std::mutex mutex_;
    std::optional<uint8_t> card_;
    std::atomic<int> reads_{0};
};

// Records what one subscriber received.
class Received {
public:
    GetCardDataCallbackHandler::Callback Callback() {
        return [this](CardData& card) {
            const std::lock_guard lock(mutex_);
            cards_.push_back(card.data.empty() ? 0 : card.data[0]);
        };
    }
    std::vector<uint8_t> Cards() const {
        const std::lock_guard lock(mutex_);
        return cards_;
    }
    void AwaitCount(std::size_t count) const {
        while (Cards().size() < count) {
            std::this_thread::sleep_for(1ms);
        }
    }

private:
    mutable std::mutex mutex_;
    std::vector<uint8_t> cards_;
};

constexpr auto kFastPoll = 2ms;

// A scripted read: a card, no card, a card's bytes without its bit count, or a failing read.
struct Read {
    enum Kind { CardRead, NoCard, Torn, Fails } kind;
    uint8_t first = 0;
};
Read C(uint8_t first) { return {Read::CardRead, first}; }
Read Torn(uint8_t first) { return {Read::Torn, first}; }
const Read kNone{Read::NoCard};
const Read kFail{Read::Fails};

struct ScriptCase {
    const char* name;
    std::vector<Read> reads;
    std::vector<uint8_t> delivered;
};

class CallbackHandlerScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(CallbackHandlerScript, DeliversEachNewCardOnceToEverySubscriber) {
    const TavTest::TimeLimit limit(20s);
    const ScriptCase& c = GetParam();
    std::mutex mutex;
    std::deque<Read> script(c.reads.begin(), c.reads.end());
    std::atomic<bool> scriptDone{false};

    GetCardDataCallbackHandler handler(kFastPoll);
    Received first;
    Received second;
    handler.AddCallback(first.Callback());
    handler.AddCallback(second.Callback());
    handler.Start([&](CardData& card) {
        const std::lock_guard lock(mutex);
        if (script.empty()) {
            scriptDone = true;
            return;
        }
        const Read read = script.front();
        script.pop_front();
        if (read.kind == Read::Fails) {
            throw Tav::ReaderException("read failed", "Test", 1, "Read");
        }
        if (read.kind == Read::CardRead) {
            card = Card(read.first);
        }
        if (read.kind == Read::Torn) {
            card = Card(read.first, 0);
        }
    });
    while (!scriptDone) {
        std::this_thread::sleep_for(1ms);
    }
    handler.Stop();
    EXPECT_EQ(first.Cards(), c.delivered);
    EXPECT_EQ(second.Cards(), c.delivered);
}

const ScriptCase kScripts[] = {
    {"HeldCardOnce", {C(1), C(1), C(1)}, {1}},
    {"RemovedAndPresentedAgain", {C(1), kNone, C(1)}, {1, 1}},
    {"FailedReadForgetsTheCard", {C(1), kFail, C(1)}, {1, 1}},
    {"AnotherCardWithoutGap", {C(1), C(2), C(1)}, {1, 2, 1}},
    {"EmptyReadsDeliverNothing", {kNone, kNone}, {}},
    {"BytesWithoutBitCountAreNoCard", {Torn(1), C(1), Torn(1), C(1)}, {1}},
};

INSTANTIATE_TEST_SUITE_P(Table, CallbackHandlerScript, ::testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CallbackHandler, EachSubscriberGetsItsOwnCopy) {
    const TavTest::TimeLimit limit(20s);
    FakeReader reader;
    GetCardDataCallbackHandler handler(kFastPoll);
    handler.AddCallback([](CardData& card) { card.data.assign(32, 0xEE); });
    Received later;
    handler.AddCallback(later.Callback());
    reader.Present(7);
    handler.Start(reader.PollFunction());
    later.AwaitCount(1);
    handler.Stop();
    EXPECT_THAT(later.Cards(), ElementsAre(7));
}

TEST(CallbackHandler, AFailingCallbackDoesNotKeepTheOthersFromTheCard) {
    const TavTest::TimeLimit limit(20s);
    FakeReader reader;
    GetCardDataCallbackHandler handler(kFastPoll);
    handler.AddCallback([](CardData&) { throw std::runtime_error("host bug"); });
    handler.AddCallback([](CardData&) { throw 42; });
    Received last;
    handler.AddCallback(last.Callback());
    reader.Present(3);
    handler.Start(reader.PollFunction());
    last.AwaitCount(1);
    reader.Remove();
    reader.AwaitReads(2);
    reader.Present(4);
    last.AwaitCount(2);
    handler.Stop();
    EXPECT_THAT(last.Cards(), ElementsAre(3, 4));
}

TEST(CallbackHandler, StopDoesNotWaitOutThePollPeriodAndDeliversWhatWasQueued) {
    const TavTest::TimeLimit limit(20s);
    FakeReader reader;
    GetCardDataCallbackHandler handler(std::chrono::milliseconds(60'000));
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    Received received;
    handler.AddCallback([&](CardData& card) {
        entered = true;
        while (!release) {
            std::this_thread::sleep_for(1ms);
        }
        received.Callback()(card);
    });
    reader.Present(9);
    handler.Start(reader.PollFunction());
    // The card is in dispatch and the poll thread in its 60 s wait; waiting for reads instead could
    // miss the only read, or stop between the read and its queueing.
    while (!entered) {
        std::this_thread::sleep_for(1ms);
    }
    std::thread releaser([&] {
        std::this_thread::sleep_for(50ms);
        release = true;
    });
    const auto before = std::chrono::steady_clock::now();
    handler.Stop();
    const auto took = std::chrono::steady_clock::now() - before;
    releaser.join();
    EXPECT_LT(took, 10s);
    // The card queued before the stop was still delivered when Stop returned.
    EXPECT_THAT(received.Cards(), ElementsAre(9));
    EXPECT_FALSE(handler.IsRunning());
}

TEST(CallbackHandler, StartAndStopAnyNumberOfTimesNeverHang) {
    const TavTest::TimeLimit limit(60s);
    FakeReader reader;
    reader.Present(1);
    GetCardDataCallbackHandler handler(kFastPoll);
    for (int i = 0; i < 200; ++i) {
        handler.Start(reader.PollFunction());
        if (i % 3 == 0) {
            std::this_thread::yield();
        }
        handler.Stop();
    }
    EXPECT_FALSE(handler.IsRunning());
}

TEST(CallbackHandler, AStopArrivingAsThePollingThreadBeginsToWaitIsNeverLost) {
    // A lost stop would leave the polling thread in a wait far longer than this limit.
    const TavTest::TimeLimit limit(10s);
    GetCardDataCallbackHandler handler(std::chrono::hours(1));
    std::atomic<bool> aboutToWait{false};
    std::atomic<bool> stopCalled{false};
    handler.SetBeforePollWait([&] {
        aboutToWait = true;
        while (!stopCalled) {
            std::this_thread::yield();
        }
        // Holds the thread between its look at the stop flag and its wait while the stop runs: a
        // stop that does not take the run's lock would set the flag and notify right now.
        std::this_thread::sleep_for(3ms);
    });
    for (int cycle = 0; cycle < 50; ++cycle) {
        aboutToWait = false;
        stopCalled = false;
        handler.Start([](CardData&) {});
        while (!aboutToWait) {
            std::this_thread::yield();
        }
        stopCalled = true;
        handler.Stop();
    }
    EXPECT_FALSE(handler.IsRunning());
}

TEST(CallbackHandler, TheLastUnsubscribeFromInsideACallbackStopsWithoutJoiningItself) {
    const TavTest::TimeLimit limit(20s);
    FakeReader reader;
    GetCardDataCallbackHandler handler(kFastPoll);
    std::atomic<uint32_t> id{0};
    std::atomic<bool> returned{false};
    id = handler.AddCallbackAndStart(
        [&](CardData&) {
            handler.RemoveCallbackAndStopIfEmpty(id);
            returned = true;
        },
        [] { return true; }, reader.PollFunction());
    reader.Present(5);
    while (!returned) {
        std::this_thread::sleep_for(1ms);
    }
    while (handler.IsRunning()) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(handler.HasCallbacks());
    // The next start, on this thread, joins the thread that stopped itself; so does the destructor.
    Received received;
    reader.Remove();
    handler.AddCallbackAndStart(received.Callback(), [] { return true; }, reader.PollFunction());
    reader.AwaitReads(2);
    reader.Present(6);
    received.AwaitCount(1);
    EXPECT_THAT(received.Cards(), ElementsAre(6));
}

TEST(CallbackHandler, ACallbackThatResubscribesKeepsPollingAliveWhileAnotherThreadStops) {
    const TavTest::TimeLimit limit(30s);
    FakeReader reader;
    GetCardDataCallbackHandler handler(kFastPoll);
    std::atomic<int> calls{0};
    std::function<void(CardData&)> hopping;
    std::mutex idMutex;
    uint32_t id = 0;
    hopping = [&](CardData&) {
        ++calls;
        uint32_t old = 0;
        {
            const std::lock_guard lock(idMutex);
            old = id;
        }
        handler.RemoveCallbackAndStopIfEmpty(old);
        const uint32_t fresh = handler.AddCallbackAndStart(hopping, [] { return true; }, reader.PollFunction());
        const std::lock_guard lock(idMutex);
        id = fresh;
    };
    {
        const std::lock_guard lock(idMutex);
        id = handler.AddCallbackAndStart(hopping, [] { return true; }, reader.PollFunction());
    }
    for (int card = 1; card <= 20; ++card) {
        reader.Present(static_cast<uint8_t>(card));
        reader.AwaitReads(2);
        handler.Stop();  // from the host; the next subscription from the callback cannot undo it
        handler.Start(reader.PollFunction());
    }
    while (calls < 1) {
        std::this_thread::sleep_for(1ms);
    }
    // Whatever the interleaving, a subscriber is never left without polling.
    reader.AwaitReads(3);
    EXPECT_TRUE(handler.HasCallbacks());
    EXPECT_TRUE(handler.IsRunning());
}

TEST(CallbackHandler, ConcurrentSubscribersAreNeverLeftWithoutPolling) {
    const TavTest::TimeLimit limit(60s);
    FakeReader reader;
    GetCardDataCallbackHandler handler(kFastPoll);
    std::atomic<bool> flowing{true};
    std::thread cards([&] {
        uint8_t next = 1;
        while (flowing) {
            reader.Present(next++);
            std::this_thread::sleep_for(3ms);
            reader.Remove();
            std::this_thread::sleep_for(3ms);
        }
    });
    std::vector<std::thread> hosts;
    for (int t = 0; t < 4; ++t) {
        hosts.emplace_back([&] {
            for (int i = 0; i < 150; ++i) {
                const uint32_t id =
                    handler.AddCallbackAndStart([](CardData&) {}, [] { return true; }, reader.PollFunction());
                // The handler must be running while this subscription exists.
                if (!handler.IsRunning()) {
                    ADD_FAILURE() << "a subscriber without polling";
                }
                handler.RemoveCallbackAndStopIfEmpty(id);
            }
        });
    }
    for (std::thread& host : hosts) {
        host.join();
    }
    flowing = false;
    cards.join();
    EXPECT_FALSE(handler.HasCallbacks());
    EXPECT_FALSE(handler.IsRunning());
}

TEST(CallbackHandler, ShutdownRefusesLaterStarts) {
    const TavTest::TimeLimit limit(20s);
    FakeReader reader;
    GetCardDataCallbackHandler handler(kFastPoll);
    handler.AddCallback([](CardData&) {});
    ASSERT_TRUE(handler.Start(reader.PollFunction()));
    handler.Shutdown();
    EXPECT_FALSE(handler.IsRunning());
    EXPECT_FALSE(handler.Start(reader.PollFunction()));
    handler.StartIfSubscribed([] { return true; }, reader.PollFunction());
    handler.AddCallbackAndStart([](CardData&) {}, [] { return true; }, reader.PollFunction());
    EXPECT_FALSE(handler.IsRunning());
}

TEST(CallbackHandler, AnAdmissionThatThrowsSubscribesNothing) {
    FakeReader reader;
    GetCardDataCallbackHandler handler(kFastPoll);
    EXPECT_THROW(handler.AddCallbackAndStart([](CardData&) {}, []() -> bool { throw std::runtime_error("no"); },
                                             reader.PollFunction()),
                 std::runtime_error);
    EXPECT_FALSE(handler.HasCallbacks());
    // Admitted but not ready to poll: subscribed, not started; a later start finds the subscriber.
    handler.AddCallbackAndStart([](CardData&) {}, [] { return false; }, reader.PollFunction());
    EXPECT_TRUE(handler.HasCallbacks());
    EXPECT_FALSE(handler.IsRunning());
    handler.StartIfSubscribed([] { return true; }, reader.PollFunction());
    EXPECT_TRUE(handler.IsRunning());
}

TEST(CallbackHandler, SubscriptionIdsAreUniqueAcrossHandlersAndNeverZero) {
    GetCardDataCallbackHandler one(kFastPoll);
    GetCardDataCallbackHandler two(kFastPoll);
    std::set<uint32_t> ids;
    for (int i = 0; i < 50; ++i) {
        ids.insert(one.AddCallback([](CardData&) {}));
        ids.insert(two.AddCallback([](CardData&) {}));
    }
    EXPECT_EQ(ids.size(), 100U);
    EXPECT_EQ(ids.count(0), 0U);
}

}  // namespace
