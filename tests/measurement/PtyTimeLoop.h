#pragma once

#include "StepLoop.h"
#include "emulator/PtyModule.h"
#include "links/Serial_resource.h"
#include "links/Sscp.h"
#include "measurement/Tsensor.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <thread>
#include <vector>

// The serial port the sensor measures through, null while it has none.
inline const Tserial_resource* sensorPort(const Tsensor& sensor) {
    const Tbolep_resource* bolep = sensor.sscp ? sensor.sscp->getBolep() : nullptr;
    return bolep ? bolep->getSerial() : nullptr;
}

// Whether the modules on their ptys and the program's port (when it has one) all wait with
// nothing in hand and no byte is in a pty: nothing can arrive then until the program sends
// again, which it does only when the loop delivers something. The wake counts, the same before
// and after, tell that each waited all through the look at the ptys.
inline bool ptyIdle(std::initializer_list<const TptyModule*> modules,
                    const Tserial_resource* port) {
    std::vector<std::uint64_t> wakes;
    for (const TptyModule* module : modules)
        wakes.push_back(module->wakeCount());
    const std::uint64_t portWakes = port ? port->wakeCount() : 0;
    bool idle = !port || port->isWaiting();
    for (const TptyModule* module : modules)
        idle = idle && module->isWaiting();
    for (const TptyModule* module : modules)
        idle = idle && !module->holdsBytes();
    auto wake = wakes.begin();
    for (const TptyModule* module : modules)
        idle = idle && module->wakeCount() == *wake++;
    return idle && (!port || port->wakeCount() == portWakes);
}

// Virtual time for tests whose serial module answers over a real pty. Notifications are
// delivered one at a time as they arrive. With an idle check set (see ptyIdle), the virtual
// clock jumps to the next timer only when the check holds and nothing is posted, however long
// the bytes take on a loaded machine; without one, after nothing has arrived for `quietMs` of
// real time.
class TptyTimeLoop : public TstepLoop {
public:
    std::function<bool()> idle;

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
            if (!settled(real - quietSince, quietMs)) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            const std::int64_t next = nextDue();
            if (next < 0 || next - virtualStart > maxVirtualMs) return false;
            stepOne();
            quietSince = Clock::now();
        }
        return true;
    }

    // Delivers what arrives until the ports are idle (or quiet for `quietMs`); the clock stays.
    void settle(std::int64_t quietMs = 80) {
        pumpUntil([] { return false; }, -1, quietMs);
    }

private:
    bool settled(std::chrono::steady_clock::duration quiet, std::int64_t quietMs) {
        if (idle) return idle() && pendingPosts() == 0;
        return quiet >= std::chrono::milliseconds(quietMs);
    }
};
