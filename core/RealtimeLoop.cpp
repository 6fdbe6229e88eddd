#include "core/RealtimeLoop.h"

#include "core/Eventresource.h"
#include "core/Sequence.h"

#include <algorithm>

TrealtimeLoop::TrealtimeLoop() : previous(eventLoop()) {
    setEventLoop(this);
}

TrealtimeLoop::~TrealtimeLoop() {
    setEventLoop(previous);
}

void TrealtimeLoop::post(TeventResource* target, std::int32_t code) {
    {
        std::lock_guard lock(queueMutex);
        queue.emplace_back(target, code);
    }
    queueChanged.notify_one();
}

unsigned TrealtimeLoop::startTimer(Tdelay_resource* delay, unsigned ms) {
    const unsigned id = nextTimerId++;
    timers.emplace(Clock::now() + std::chrono::milliseconds(ms), Timer{id, delay});
    return id;
}

void TrealtimeLoop::killTimer(unsigned id) {
    std::erase_if(timers, [id](const auto& entry) { return entry.second.id == id; });
}

void TrealtimeLoop::forget(TeventResource* target) {
    {
        std::lock_guard lock(queueMutex);
        std::erase_if(queue, [target](const auto& item) { return item.first == target; });
    }
    std::erase_if(timers, [target](const auto& entry) {
        return static_cast<TeventResource*>(entry.second.delay) == target;
    });
}

// Waits until a notification is pending, a timer falls due or the deadline passes, and
// handles the first of these; false when the deadline passed.
bool TrealtimeLoop::deliverOne(Clock::time_point deadline) {
    std::unique_lock lock(queueMutex);
    const Clock::time_point wake =
        timers.empty() ? deadline : std::min(deadline, timers.begin()->first);
    queueChanged.wait_until(lock, wake, [this] { return !queue.empty(); });
    if (!queue.empty()) {
        const auto item = queue.front();
        queue.pop_front();
        lock.unlock();
        if (item.first) item.first->OnNotification(item.first, item.second);
        return true;
    }
    lock.unlock();
    if (!timers.empty() && timers.begin()->first <= Clock::now()) {
        Tdelay_resource* delay = timers.begin()->second.delay;
        timers.erase(timers.begin());
        if (delay) delay->onTimer();
        return true;
    }
    return Clock::now() < deadline;
}

bool TrealtimeLoop::runUntil(const std::function<bool()>& done, std::int64_t maxMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(maxMs);
    while (!done()) {
        if (!deliverOne(deadline)) return done();
    }
    return true;
}

void TrealtimeLoop::runFor(std::int64_t ms) {
    runUntil([] { return false; }, ms);
}
