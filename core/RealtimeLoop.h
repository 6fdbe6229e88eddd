#pragma once

#include "core/EventLoop.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

// A message loop on the real clock without a GUI, for tests that talk to real ports and for
// the benchmarks. The thread that calls runUntil is the "GUI thread"; post is thread-safe.
class TrealtimeLoop : public TeventLoop {
public:
    using Clock = std::chrono::steady_clock;

    TrealtimeLoop();
    ~TrealtimeLoop() override;
    TrealtimeLoop(const TrealtimeLoop&) = delete;
    TrealtimeLoop& operator=(const TrealtimeLoop&) = delete;

    void post(TeventResource* target, std::int32_t code) override;
    unsigned startTimer(Tdelay_resource* delay, unsigned ms) override;
    void killTimer(unsigned id) override;
    void forget(TeventResource* target) override;

    // Delivers notifications and timers until `done()` holds or `maxMs` of real time have
    // passed; true when done.
    bool runUntil(const std::function<bool()>& done, std::int64_t maxMs);
    // Delivers for `ms` of real time.
    void runFor(std::int64_t ms);

private:
    struct Timer {
        unsigned id;
        Tdelay_resource* delay;
    };
    bool deliverOne(Clock::time_point deadline);

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<std::pair<TeventResource*, std::int32_t>> queue;
    std::multimap<Clock::time_point, Timer> timers;
    unsigned nextTimerId = 1;
    TeventLoop* previous;
};
