#pragma once

#include "core/Sequence.h"
#include "core/VirtualLoop.h"

#include <cstdint>
#include <map>

// Virtual time that can move one message at a time: its timers are kept here instead of in the
// base loop, so that stepOne() delivers exactly one posted notification or, when none is
// pending, fires exactly one timer, and a test can stop a sequence in any step.
class TstepLoop : public TvirtualLoop {
public:
    unsigned startTimer(Tdelay_resource* delay, unsigned ms) override {
        const unsigned id = nextId++;
        timers[id] = {now() + ms, delay};
        return id;
    }
    void killTimer(unsigned id) override { timers.erase(id); }
    void forget(TeventResource* target) override {
        std::erase_if(timers, [target](const auto& t) {
            return static_cast<TeventResource*>(t.second.delay) == target;
        });
        TvirtualLoop::forget(target);
    }

    // One notification, or one timer with the clock moved to it; false when nothing is left.
    bool stepOne() {
        if (runOne()) return true;
        if (timers.empty()) return false;
        auto first = timers.begin();
        for (auto it = timers.begin(); it != timers.end(); ++it)
            if (it->second.at < first->second.at) first = it;
        Tdelay_resource* delay = first->second.delay;
        TvirtualLoop::advance(first->second.at - now());
        timers.erase(first);
        delay->onTimer();
        return true;
    }
    // Moves the clock forward by ms, delivering everything that falls due on the way.
    void advance(std::int64_t ms) {
        const std::int64_t until = now() + ms;
        while (pendingPosts() > 0 || (nextDue() >= 0 && nextDue() <= until))
            stepOne();
        TvirtualLoop::advance(until - now());
    }
    template <class Pred> bool runUntil(Pred done, std::int64_t maxMs) {
        const std::int64_t until = now() + maxMs;
        while (!done()) {
            if (pendingPosts() == 0 && (nextDue() < 0 || nextDue() > until)) return false;
            stepOne();
        }
        return true;
    }
    std::size_t pendingTimers() const { return timers.size(); }
    // Due time of the earliest timer, -1 when none runs.
    std::int64_t nextDue() const {
        std::int64_t next = -1;
        for (const auto& [id, t] : timers)
            if (next < 0 || t.at < next) next = t.at;
        return next;
    }

private:
    struct Timer {
        std::int64_t at;
        Tdelay_resource* delay;
    };
    std::map<unsigned, Timer> timers; // by id: equal due times fire in start order
    unsigned nextId = 1;
};
