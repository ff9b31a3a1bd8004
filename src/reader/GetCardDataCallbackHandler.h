#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "Tavelin/CardData.h"
#include "records/GetCardDataSizeParameters.h"

namespace Tav {

// Turns card reading by polling into callbacks. While it runs, a polling thread reads a card every
// poll period, drops empty and repeated reads and queues each new card; a dispatch thread hands
// every queued card to every subscriber, each with its own copy.
//
// Life cycle: Start, Stop, Shutdown and the combined subscribe/unsubscribe steps are serialised by
// a life-cycle lock that the handler's own threads never take in their loops. Threads are joined
// outside that lock, so a callback may subscribe, unsubscribe or stop the handler: a thread is never
// joined by itself (one that stopped its own run is joined by the next Start, Stop, Shutdown or the
// destructor on another thread), and a life-cycle call made from a handler thread while another
// thread is joining is carried out by that other thread once its join is done.
class GetCardDataCallbackHandler {
public:
    using Callback = std::function<void(CardData&)>;
    using PollFunction = std::function<void(CardData&)>;
    // Asked under the life-cycle lock whether the handler may start; it may throw to refuse.
    using StartCondition = std::function<bool()>;

    static constexpr std::chrono::milliseconds kDefaultPollPeriod{200};

    explicit GetCardDataCallbackHandler(std::chrono::milliseconds pollPeriod = kDefaultPollPeriod);
    // Shuts the handler down; must not run on one of its own threads.
    ~GetCardDataCallbackHandler();
    GetCardDataCallbackHandler(const GetCardDataCallbackHandler&) = delete;
    GetCardDataCallbackHandler& operator=(const GetCardDataCallbackHandler&) = delete;

    // Subscription ids are unique in the process and never 0.
    uint32_t AddCallback(Callback callback);
    void RemoveCallback(uint32_t id);
    bool HasCallbacks() const;

    void SetSizeParameter(TavProtocol::GetCardDataSizeParameters size);
    TavProtocol::GetCardDataSizeParameters GetSizeParameter() const;

    // Starts both threads unless they run (the function is then dropped). False once shut down.
    bool Start(PollFunction pollFunction);
    // Stops both threads; cards already queued are still dispatched. Subscribers stay.
    void Stop();
    // Stops for good: later starts are refused. Called before the polled reader goes away; when it
    // returns on a thread that is not the handler's own, no handler thread is left.
    void Shutdown();

    // Subscribes and starts as one step. `admit` runs first: when it throws, nothing is added; when
    // it returns false, the callback is added but nothing starts.
    uint32_t AddCallbackAndStart(Callback callback, const StartCondition& admit, PollFunction pollFunction);
    // Starts when there is a subscriber and `admit` returns true.
    void StartIfSubscribed(const StartCondition& admit, PollFunction pollFunction);
    // Unsubscribes and, when no subscriber is left, stops, as one step.
    void RemoveCallbackAndStopIfEmpty(uint32_t id);

    bool IsRunning() const;
    // True on the handler's polling or dispatch thread (inside a callback or the poll function).
    bool IsOwnThread() const;

    // For tests only; set before the first start. Runs on the polling thread with its run's lock
    // held, after the stop flag was read as clear and before the thread waits out the poll period,
    // so a test can hold the thread at the point where a stop's notification must not be lost.
    void SetBeforePollWait(std::function<void()> hook) { beforePollWait_ = std::move(hook); }

private:
    // One start's threads and what they share; a stop ends only its own run.
    struct Run {
        std::mutex mutex;
        std::condition_variable pollWake;
        std::condition_variable queueWake;
        bool stopping = false;
        std::deque<CardData> queue;
        PollFunction pollFunction;
        std::thread pollThread;
        std::thread dispatchThread;
    };

    // Brings the threads to the wanted state; the life-cycle lock is held on entry and on return.
    void Reconcile(std::unique_lock<std::mutex>& lock);
    static void SignalStop(Run& run);
    void PollLoop(Run& run);
    void DispatchLoop(Run& run);
    void PollOnce(Run& run);
    void Dispatch(const CardData& card);

    const std::chrono::milliseconds pollPeriod_;
    std::function<void()> beforePollWait_;

    mutable std::mutex lifeMutex_;
    std::condition_variable lifeChanged_;
    bool wantRunning_ = false;
    bool shutDown_ = false;
    // A thread is joining retired runs with the life-cycle lock released.
    bool joining_ = false;
    PollFunction pollFunction_;
    std::unique_ptr<Run> current_;
    std::vector<std::unique_ptr<Run>> retired_;

    mutable std::mutex subscriberMutex_;
    std::map<uint32_t, Callback> subscribers_;

    mutable std::mutex sizeMutex_;
    TavProtocol::GetCardDataSizeParameters size_ = TavProtocol::GetCardDataSizeParameters::Long;

    // Touched only by the polling thread; runs never poll at the same time.
    CardData lastCard_;
};

}  // namespace Tav
