#pragma once

#include "core/VirtualLoop.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <thread>

// Virtual time for tests whose serial module answers over a real pty. Notifications are
// delivered as they arrive; the virtual clock jumps to the next timer only after nothing has
// arrived for `quietMs` of real time, so a reply on its way always beats its time-out, while a
// module that stays silent costs only the quiet time, not the time-out.
class TptyTimeLoop : public TvirtualLoop {
public:
    unsigned startTimer(Tdelay_resource* delay, unsigned ms) override {
        const unsigned id = TvirtualLoop::startTimer(delay, ms);
        due[id] = {now() + ms, delay};
        return id;
    }
    void killTimer(unsigned id) override {
        due.erase(id);
        TvirtualLoop::killTimer(id);
    }
    void forget(TeventResource* target) override {
        std::erase_if(due, [target](const auto& e) {
            return static_cast<TeventResource*>(e.second.delay) == target;
        });
        TvirtualLoop::forget(target);
    }

    template <class Pred>
    bool pumpUntil(Pred done, std::int64_t maxVirtualMs, std::int64_t quietMs = 80,
                   std::int64_t maxRealMs = 60'000) {
        using Clock = std::chrono::steady_clock;
        const auto realStart = Clock::now();
        const std::int64_t virtualStart = now();
        auto quietSince = Clock::now();
        while (!done()) {
            const auto real = Clock::now();
            if (real - realStart > std::chrono::milliseconds(maxRealMs)) return false;
            if (runUntilIdle() > 0) {
                quietSince = Clock::now();
                continue;
            }
            if (real - quietSince < std::chrono::milliseconds(quietMs)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            const std::int64_t next = nextDue();
            if (next < 0 || next - virtualStart > maxVirtualMs) return false;
            advance(next - now());
            quietSince = Clock::now();
        }
        return true;
    }

    // Lets the ports settle: delivers what arrives within `quietMs` of real time.
    void settle(std::int64_t quietMs = 80) {
        pumpUntil([] { return false; }, 0, quietMs, quietMs * 20);
    }

private:
    struct Due {
        std::int64_t at;
        Tdelay_resource* delay;
    };
    std::int64_t nextDue() const {
        std::int64_t next = -1;
        for (const auto& [id, d] : due)
            if (next < 0 || d.at < next) next = d.at;
        return next;
    }
    std::map<unsigned, Due> due;
};
