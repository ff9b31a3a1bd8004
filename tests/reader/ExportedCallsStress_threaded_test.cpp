// Many host threads on one reader through the exported functions: random calls from sixteen
// threads, two threads subscribing and unsubscribing while cards come and go, and one thread
// closing the reader part-way. Nothing may crash, hang, race, or lose or repeat a card.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Tavelin.h"
#include "common/FixedText.h"
#include "reader/ReaderOnSimulator.h"
#include "reader/TimeLimit.h"
#include "support/ScopedTimeDelayOverride.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using TavTest::ReaderOnSimulator;
using TavTest::Wire;

constexpr int kCallers = 16;
constexpr int kCallsPerCaller = 300;
constexpr int kCards = 5;
// Long enough for two polls (every 200 ms) on a loaded machine, both present and gone.
constexpr auto kCardHeld = 700ms;
constexpr auto kCardGone = 700ms;

template <std::size_t Size>
bool Terminated(const char (&text)[Size]) {
    return std::memchr(text, 0, Size) != nullptr;
}

bool WellFormed(const TavResult& result) {
    return (result.Code == 0 || result.Code == 1) && Terminated(result.ExceptionType) && Terminated(result.Message) &&
           Terminated(result.File) && Terminated(result.Function) && Terminated(result.InnerExceptionType) &&
           Terminated(result.InnerMessage) && Terminated(result.InnerFile) && Terminated(result.InnerFunction) &&
           (result.Code == 0 || result.Message[0] != '\0');
}

// One delivery to a subscriber: which card, to which of the subscriber's subscriptions.
struct Delivery {
    uint8_t card;
    int subscription;
};

// A subscriber thread's callback is a plain function, one per thread, so each records its own.
struct Subscriber {
    std::atomic<int> subscription{0};
    std::mutex mutex;
    std::vector<Delivery> deliveries;
};
std::array<Subscriber, 2> subscribers;

template <int Slot>
void OnCard(const uint8_t* data, uint32_t bitCount) {
    Subscriber& subscriber = subscribers[Slot];
    const std::lock_guard lock(subscriber.mutex);
    subscriber.deliveries.push_back({bitCount == 26 ? data[0] : uint8_t{0}, subscriber.subscription.load()});
}

struct Span {
    Clock::time_point from;
    Clock::time_point to;
    bool Within(const Span& outer) const { return outer.from <= from && to <= outer.to; }
};

// One random exported call on the handle; false when its record is not well formed, or when it
// started after the reader was closed and does not say the handle is invalid.
bool RandomCall(void* handle, std::mt19937& random, const std::atomic<bool>& closed) {
    const bool afterClose = closed.load();
    TavResult result;
    std::memset(&result, 0x5A, sizeof result);
    const uint8_t index = static_cast<uint8_t>(random() % 2);
    switch (random() % 12) {
    case 0: {
        TavProtocol::LuidResponseInformation luid{};
        TavReader_GetLuid(&result, handle, &luid);
        break;
    }
    case 1:
        TavReader_SetLuid(&result, handle, static_cast<uint16_t>(random()));
        break;
    case 2: {
        uint8_t volume = 0;
        TavReader_GetBeeperVolume(&result, handle, &volume);
        break;
    }
    case 3:
        TavReader_SetBeeperVolume(&result, handle, TavProtocol::BeepVolume(random() % 4));
        break;
    case 4: {
        TavCommon::ReaderConfiguration configuration{};
        TavCommon::ExtendedConfiguration extended{};
        TavReader_GetReaderConfiguration(&result, handle, index, &configuration, &extended);
        break;
    }
    case 5: {
        TavCommon::ReaderConfiguration configuration{};
        configuration.DisableKeystroking = 1;
        configuration.FacDigitCount = static_cast<uint8_t>(random() % 10);
        const TavCommon::ExtendedConfiguration extended{};
        TavReader_SetReaderConfiguration(&result, handle, index, &configuration, &extended, nullptr);
        break;
    }
    case 6: {
        Tav::LedConfiguration led{};
        TavReader_GetLedConfiguration(&result, handle, index, &led);
        break;
    }
    case 7: {
        const Tav::LedConfiguration led{static_cast<uint8_t>(1 + random() % 4), 1};
        TavReader_SetLedConfiguration(&result, handle, index, &led);
        break;
    }
    case 8: {
        auto metadata = std::make_unique<ReaderMetadataStruct>();
        Tav_GetMetadataStruct(&result, handle, metadata.get(), random() % 2 == 0);
        break;
    }
    case 9:
        Tav_RefreshMetadata(&result, handle);
        break;
    case 10: {
        auto types = std::make_unique<TavCardTypeList>();
        TavReader_GetSupportedCardTypes(&result, handle, types.get());
        break;
    }
    default:
        Tav_Init(&result, handle);
        break;
    }
    if (!WellFormed(result)) {
        return false;
    }
    return !afterClose || (result.Code == 1 && TavCommon::ReadFixedField(result.Message) == "Invalid reader handle");
}

TEST(ExportedCallsStress, SixteenCallersTwoSubscribersAndAClose) {
    const TavTest::TimeLimit limit(120s, "exported-call stress");
    const TavTest::ScopedTimeDelayOverride noWaits;
    ReaderOnSimulator simulated(Wire::FeatureReport);
    simulated.sim.Model()->configurationCount = 2;
    TavResult result{};
    const TavCommon::ReaderDefinition definition = ReaderOnSimulator::Definition(Wire::FeatureReport);
    void* const handle = TavReader_Open(&result, &definition, 0);
    ASSERT_EQ(result.Code, 0) << result.Message;
    simulated.handle = nullptr;  // closed below, by a thread of the test
    Tav_Init(&result, handle);
    ASSERT_EQ(result.Code, 0) << result.Message;

    std::atomic<bool> closed{false};
    std::atomic<bool> cardsDone{false};
    std::atomic<int> badRecords{0};

    std::vector<std::thread> threads;
    for (int caller = 0; caller < kCallers; ++caller) {
        threads.emplace_back([&, caller] {
            std::mt19937 random(static_cast<unsigned>(caller + 1));
            // A fixed number of calls, then on until the reader is closed, and a few after it.
            for (int call = 0, afterClose = 0; call < kCallsPerCaller || afterClose < 10; ++call) {
                if (!RandomCall(handle, random, closed)) {
                    ++badRecords;
                }
                afterClose += closed ? 1 : 0;
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 8));
            }
        });
    }

    // Subscriptions, each held for a while; their spans, by slot and subscription number.
    std::array<std::mutex, 2> spanMutexes;
    std::array<std::vector<Span>, 2> subscribed;
    auto subscribe = [&](int slot, TavCredentialCallback callback) {
        std::mt19937 random(static_cast<unsigned>(100 + slot));
        while (!closed) {
            TavResult own{};
            subscribers[slot].subscription = static_cast<int>(subscribed[slot].size());
            const Clock::time_point from = Clock::now();
            const uint32_t id = TavReader_OnCredentialPresented(&own, handle, callback, 2);
            if (own.Code != 0) {
                EXPECT_TRUE(closed) << own.Message;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(800 + random() % 2500));
            const Clock::time_point to = Clock::now();
            TavReader_UnsubscribeCredentialCallback(&own, handle, id);
            EXPECT_TRUE(own.Code == 0 || closed) << own.Message;
            {
                const std::lock_guard lock(spanMutexes[slot]);
                subscribed[slot].push_back({from, to});
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400));
        }
    };
    threads.emplace_back(subscribe, 0, &OnCard<0>);
    threads.emplace_back(subscribe, 1, &OnCard<1>);

    // Cards 1 to kCards, each held and then taken away.
    std::vector<Span> presented;
    threads.emplace_back([&] {
        std::this_thread::sleep_for(300ms);
        for (uint8_t card = 1; card <= kCards; ++card) {
            const Clock::time_point from = Clock::now();
            simulated.sim.Model()->presentedCards.push_back({0x0001, 26, {card, 0x22, 0x33, 0xC0}});
            std::this_thread::sleep_for(kCardHeld);
            simulated.sim.Model()->presentedCards.clear();
            presented.push_back({from, Clock::now()});
            std::this_thread::sleep_for(kCardGone);
        }
        cardsDone = true;
    });

    threads.emplace_back([&] {
        while (!cardsDone) {
            std::this_thread::sleep_for(20ms);
        }
        TavResult own{};
        Tav_Close(&own, handle);
        EXPECT_EQ(own.Code, 0) << own.Message;
        closed = true;
    });

    for (auto& thread : threads) {
        thread.join();
    }

    EXPECT_EQ(badRecords, 0);
    int cardsHeldThroughASubscription = 0;
    for (int slot = 0; slot < 2; ++slot) {
        SCOPED_TRACE("subscriber " + std::to_string(slot));
        std::vector<Delivery> deliveries;
        {
            const std::lock_guard lock(subscribers[slot].mutex);
            deliveries = subscribers[slot].deliveries;
        }
        for (std::size_t s = 0; s < subscribed[slot].size(); ++s) {
            for (uint8_t card = 1; card <= kCards; ++card) {
                int count = 0;
                for (const Delivery& delivery : deliveries) {
                    count += delivery.card == card && delivery.subscription == static_cast<int>(s) ? 1 : 0;
                }
                EXPECT_LE(count, 1) << "card " << int{card} << " delivered twice to subscription " << s;
                if (presented[card - 1].Within(subscribed[slot][s])) {
                    ++cardsHeldThroughASubscription;
                    EXPECT_EQ(count, 1) << "card " << int{card} << " lost by subscription " << s;
                }
            }
        }
    }
    EXPECT_GT(cardsHeldThroughASubscription, 0) << "no card came and went within a subscription: nothing was shown";
}

}  // namespace
