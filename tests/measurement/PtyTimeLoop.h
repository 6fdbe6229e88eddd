#pragma once

#include "StepLoop.h"

#include <chrono>
#include <cstdint>
#include <thread>

// Virtual time for tests whose serial module answers over a real pty. Notifications are
// delivered one at a time as they arrive; the virtual clock jumps to the next timer only after
// nothing has arrived for `quietMs` of real time, so a reply on its way always beats its
// time-out, while a module that stays silent costs only the quiet time, not the time-out.
class TptyTimeLoop : public TstepLoop {
public:
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
            if (runOne()) {
                quietSince = Clock::now();
                continue;
            }
            if (real - quietSince < std::chrono::milliseconds(quietMs)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            const std::int64_t next = nextDue();
            if (next < 0 || next - virtualStart > maxVirtualMs) return false;
            stepOne();
            quietSince = Clock::now();
        }
        return true;
    }

    // Delivers what arrives until the ports have been quiet for `quietMs`; the clock stays.
    void settle(std::int64_t quietMs = 80) {
        pumpUntil([] { return false; }, -1, quietMs);
    }
};
