#include "core/VirtualLoop.h"

#include "core/Eventresource.h"
#include "core/Sequence.h"

#include <algorithm>

TvirtualLoop::TvirtualLoop() : previous(eventLoop()) {
    setEventLoop(this);
}

TvirtualLoop::~TvirtualLoop() {
    setEventLoop(previous);
}

void TvirtualLoop::post(TeventResource* target, std::int32_t code) {
    std::lock_guard lock(queueMutex);
    queue.emplace_back(target, code);
}

unsigned TvirtualLoop::startTimer(Tdelay_resource* delay, unsigned ms) {
    const unsigned id = nextTimerId++;
    timers.emplace(nowMs + ms, Timer{id, delay});
    return id;
}

void TvirtualLoop::killTimer(unsigned id) {
    std::erase_if(timers, [id](const auto& entry) { return entry.second.id == id; });
}

void TvirtualLoop::forget(TeventResource* target) {
    {
        std::lock_guard lock(queueMutex);
        std::erase_if(queue, [target](const auto& item) { return item.first == target; });
    }
    std::erase_if(timers, [target](const auto& entry) {
        return static_cast<TeventResource*>(entry.second.delay) == target;
    });
}

std::size_t TvirtualLoop::pendingPosts() {
    std::lock_guard lock(queueMutex);
    return queue.size();
}

bool TvirtualLoop::runOne() {
    std::pair<TeventResource*, std::int32_t> item;
    {
        std::lock_guard lock(queueMutex);
        if (queue.empty()) return false;
        item = queue.front();
        queue.pop_front();
    }
    if (item.first) item.first->OnNotification(item.first, item.second);
    return true;
}

std::size_t TvirtualLoop::runUntilIdle(std::size_t limit) {
    std::size_t count = 0;
    while (count < limit && runOne())
        ++count;
    return count;
}

bool TvirtualLoop::fireNextDue(std::int64_t until) {
    if (timers.empty() || timers.begin()->first > until) return false;
    auto first = timers.begin();
    nowMs = std::max(nowMs, first->first);
    Tdelay_resource* delay = first->second.delay;
    timers.erase(first);
    if (delay) delay->onTimer();
    runUntilIdle();
    return true;
}

void TvirtualLoop::advance(std::int64_t ms) {
    const std::int64_t until = nowMs + ms;
    runUntilIdle();
    while (fireNextDue(until)) {
    }
    nowMs = until;
}
