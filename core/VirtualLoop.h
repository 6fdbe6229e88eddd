#pragma once

#include "core/EventLoop.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

// A deterministic message loop on a virtual clock, for tests and benchmarks. Posting is
// thread-safe; everything else runs in the thread that drives the loop.
class TvirtualLoop : public TeventLoop {
public:
    TvirtualLoop();
    ~TvirtualLoop() override;
    TvirtualLoop(const TvirtualLoop&) = delete;
    TvirtualLoop& operator=(const TvirtualLoop&) = delete;

    void post(TeventResource* target, std::int32_t code) override;
    unsigned startTimer(Tdelay_resource* delay, unsigned ms) override;
    void killTimer(unsigned id) override;
    void forget(TeventResource* target) override;

    // Delivers one pending notification; false when none is pending.
    bool runOne();
    // Delivers notifications until none is pending (at most `limit`); returns how many.
    std::size_t runUntilIdle(std::size_t limit = 10'000'000);
    // Moves the clock forward by ms, firing every timer that falls due in order, each followed
    // by the notifications it causes.
    void advance(std::int64_t ms);
    // Advances in steps of `stepMs` until `done()` holds or `maxMs` have passed; true when done.
    template <class Pred> bool runUntil(Pred done, std::int64_t maxMs, std::int64_t stepMs = 1) {
        runUntilIdle();
        for (std::int64_t waited = 0; !done(); waited += stepMs) {
            if (waited >= maxMs) return false;
            advance(stepMs);
        }
        return true;
    }

    std::int64_t now() const { return nowMs; }
    std::size_t pendingTimers() const { return timers.size(); }
    std::size_t pendingPosts();

private:
    struct Timer {
        unsigned id;
        Tdelay_resource* delay;
    };
    bool fireNextDue(std::int64_t until);

    std::mutex queueMutex;
    std::deque<std::pair<TeventResource*, std::int32_t>> queue;
    std::multimap<std::int64_t, Timer> timers; // by due time; equal times in start order
    std::int64_t nowMs = 0;
    unsigned nextTimerId = 1;
    TeventLoop* previous;
};
