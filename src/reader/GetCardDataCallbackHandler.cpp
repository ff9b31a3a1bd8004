#include "reader/GetCardDataCallbackHandler.h"

#include <atomic>
#include <exception>
#include <utility>

#include "Tavelin/ReaderException.h"
#include "common/Logger.h"

namespace Tav {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

constexpr std::size_t kCardBytes = 32;

// The handler whose thread this is, if any.
thread_local const GetCardDataCallbackHandler* ownThreadOf = nullptr;

CardData EmptyCard() { return CardData(std::vector<uint8_t>(kCardBytes, 0), 0); }

uint32_t NextSubscriptionId() {
    static std::atomic<uint32_t> counter{0};
    uint32_t id = 0;
    while (id == 0) {
        id = counter.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    return id;
}

}  // namespace

GetCardDataCallbackHandler::GetCardDataCallbackHandler(std::chrono::milliseconds pollPeriod)
    : pollPeriod_(pollPeriod), lastCard_(EmptyCard()) {}

GetCardDataCallbackHandler::~GetCardDataCallbackHandler() { Shutdown(); }

uint32_t GetCardDataCallbackHandler::AddCallback(Callback callback) {
    const uint32_t id = NextSubscriptionId();
    const std::lock_guard lock(subscriberMutex_);
    subscribers_.emplace(id, std::move(callback));
    return id;
}

void GetCardDataCallbackHandler::RemoveCallback(uint32_t id) {
    const std::lock_guard lock(subscriberMutex_);
    subscribers_.erase(id);
}

bool GetCardDataCallbackHandler::HasCallbacks() const {
    const std::lock_guard lock(subscriberMutex_);
    return !subscribers_.empty();
}

void GetCardDataCallbackHandler::SetSizeParameter(TavProtocol::GetCardDataSizeParameters size) {
    const std::lock_guard lock(sizeMutex_);
    size_ = size;
}

TavProtocol::GetCardDataSizeParameters GetCardDataCallbackHandler::GetSizeParameter() const {
    const std::lock_guard lock(sizeMutex_);
    return size_;
}

bool GetCardDataCallbackHandler::Start(PollFunction pollFunction) {
    std::unique_lock lock(lifeMutex_);
    if (shutDown_) {
        return false;
    }
    if (!current_) {
        pollFunction_ = std::move(pollFunction);
    }
    wantRunning_ = true;
    Reconcile(lock);
    return true;
}

void GetCardDataCallbackHandler::Stop() {
    std::unique_lock lock(lifeMutex_);
    wantRunning_ = false;
    Reconcile(lock);
}

void GetCardDataCallbackHandler::Shutdown() {
    std::unique_lock lock(lifeMutex_);
    shutDown_ = true;
    wantRunning_ = false;
    Reconcile(lock);
}

uint32_t GetCardDataCallbackHandler::AddCallbackAndStart(Callback callback, const StartCondition& admit,
                                                         PollFunction pollFunction) {
    std::unique_lock lock(lifeMutex_);
    const bool start = admit();
    const uint32_t id = AddCallback(std::move(callback));
    if (start && !shutDown_) {
        if (!current_) {
            pollFunction_ = std::move(pollFunction);
        }
        wantRunning_ = true;
        Reconcile(lock);
    }
    return id;
}

void GetCardDataCallbackHandler::StartIfSubscribed(const StartCondition& admit, PollFunction pollFunction) {
    std::unique_lock lock(lifeMutex_);
    if (shutDown_ || !HasCallbacks() || !admit()) {
        return;
    }
    if (!current_) {
        pollFunction_ = std::move(pollFunction);
    }
    wantRunning_ = true;
    Reconcile(lock);
}

void GetCardDataCallbackHandler::RemoveCallbackAndStopIfEmpty(uint32_t id) {
    std::unique_lock lock(lifeMutex_);
    RemoveCallback(id);
    if (!HasCallbacks()) {
        wantRunning_ = false;
        Reconcile(lock);
    }
}

bool GetCardDataCallbackHandler::IsRunning() const {
    const std::lock_guard lock(lifeMutex_);
    return current_ != nullptr;
}

bool GetCardDataCallbackHandler::IsOwnThread() const { return ownThreadOf == this; }

void GetCardDataCallbackHandler::Reconcile(std::unique_lock<std::mutex>& lock) {
    const bool ownThread = IsOwnThread();
    const std::thread::id self = std::this_thread::get_id();
    for (;;) {
        if (joining_) {
            // The joining thread may be waiting for this very thread: leave the wanted state to it.
            if (ownThread) {
                return;
            }
            lifeChanged_.wait(lock, [this] { return !joining_; });
            continue;
        }
        const bool shouldRun = wantRunning_ && !shutDown_;
        if (!shouldRun && current_) {
            SignalStop(*current_);
            retired_.push_back(std::move(current_));
        }

        // Every stopped thread but this one is joined before anything new starts.
        std::vector<std::thread*> toJoin;
        for (const std::unique_ptr<Run>& run : retired_) {
            for (std::thread* thread : {&run->pollThread, &run->dispatchThread}) {
                if (thread->joinable() && thread->get_id() != self) {
                    toJoin.push_back(thread);
                }
            }
        }
        if (!toJoin.empty()) {
            joining_ = true;
            lock.unlock();
            for (std::thread* thread : toJoin) {
                thread->join();
            }
            lock.lock();
            joining_ = false;
            std::erase_if(retired_, [](const std::unique_ptr<Run>& run) {
                return !run->pollThread.joinable() && !run->dispatchThread.joinable();
            });
            lifeChanged_.notify_all();
            // What is wanted may have changed while the lock was free.
            continue;
        }

        if (shouldRun && !current_) {
            auto run = std::make_unique<Run>();
            run->pollFunction = pollFunction_;
            Run& started = *run;
            current_ = std::move(run);
            started.dispatchThread = std::thread([this, &started] { DispatchLoop(started); });
            started.pollThread = std::thread([this, &started] { PollLoop(started); });
        }
        return;
    }
}

void GetCardDataCallbackHandler::SignalStop(Run& run) {
    const std::lock_guard lock(run.mutex);
    run.stopping = true;
    run.pollWake.notify_all();
    run.queueWake.notify_all();
}

void GetCardDataCallbackHandler::PollLoop(Run& run) {
    ownThreadOf = this;
    for (;;) {
        {
            const std::lock_guard lock(run.mutex);
            if (run.stopping) {
                return;
            }
        }
        PollOnce(run);
        std::unique_lock lock(run.mutex);
        // The period counts from the end of a read, so a slow read never makes the next one early.
        run.pollWake.wait_until(lock, std::chrono::steady_clock::now() + pollPeriod_, [this, &run] {
            const bool stopping = run.stopping;
            if (!stopping && beforePollWait_) {
                beforePollWait_();
            }
            return stopping;
        });
        if (run.stopping) {
            return;
        }
    }
}

void GetCardDataCallbackHandler::PollOnce(Run& run) {
    try {
        CardData card = EmptyCard();
        run.pollFunction(card);
        if (card.IsEmpty()) {
            lastCard_ = EmptyCard();  // the card left; the next one is new even if it is the same
            return;
        }
        if (card.bitCount == 0) {
            // Bytes without a bit count are a torn read, not a card: a feature-report reader is
            // asked for the bit count and then for the bytes, and a card can arrive in between.
            // Queued, it would reach subscribers with no bits and then again whole.
            return;
        }
        if (card == lastCard_) {
            return;  // still the same card on the reader
        }
        const std::lock_guard lock(run.mutex);
        // A card read after the stop belongs to the next run, which will read it again.
        if (!run.stopping) {
            lastCard_ = card;
            run.queue.push_back(std::move(card));
            run.queueWake.notify_one();
        }
    } catch (const ReaderException& error) {
        TavCommon::Logger::Error(logger, TavCommon::kReaderCategory,
                                 "GetCardDataCallbackHandler: ReaderException occurred while polling the reader: {}",
                                 error.Message());
        lastCard_ = EmptyCard();
    } catch (const std::exception& error) {
        TavCommon::Logger::Error(logger, TavCommon::kReaderCategory,
                                 "GetCardDataCallbackHandler: Exception occurred while polling the reader: {}",
                                 error.what());
        lastCard_ = EmptyCard();
    } catch (...) {
        TavCommon::Logger::Error(logger, TavCommon::kReaderCategory,
                                 "GetCardDataCallbackHandler: Unknown exception occurred while polling the reader.");
        lastCard_ = EmptyCard();
    }
}

void GetCardDataCallbackHandler::DispatchLoop(Run& run) {
    ownThreadOf = this;
    for (;;) {
        CardData card;
        {
            std::unique_lock lock(run.mutex);
            run.queueWake.wait(lock, [&run] { return !run.queue.empty() || run.stopping; });
            // Cards queued before the stop are still delivered.
            if (run.queue.empty()) {
                return;
            }
            card = std::move(run.queue.front());
            run.queue.pop_front();
        }
        Dispatch(card);
    }
}

void GetCardDataCallbackHandler::Dispatch(const CardData& card) {
    std::vector<std::pair<uint32_t, Callback>> subscribers;
    {
        const std::lock_guard lock(subscriberMutex_);
        subscribers.assign(subscribers_.begin(), subscribers_.end());
    }
    for (auto& [id, callback] : subscribers) {
        // Each subscriber gets its own copy: one that writes to it cannot change what the next sees.
        CardData copy = card;
        try {
            callback(copy);
        } catch (const ReaderException& error) {
            TavCommon::Logger::Error(
                logger, TavCommon::kReaderCategory,
                "GetCardDataCallbackHandler: ReaderException occurred while executing callback {}: {}", id,
                error.Message());
        } catch (const std::exception& error) {
            TavCommon::Logger::Error(logger, TavCommon::kReaderCategory,
                                     "GetCardDataCallbackHandler: Exception occurred while executing callback {}: {}",
                                     id, error.what());
        } catch (...) {
            TavCommon::Logger::Error(logger, TavCommon::kReaderCategory,
                                     "GetCardDataCallbackHandler: Unknown exception occurred while executing callback {}",
                                     id);
        }
    }
}

}  // namespace Tav
