#include "core/EventLoop.h"

#include <atomic>

namespace {
std::atomic<TeventLoop*> currentLoop{nullptr};
}

TeventLoop* eventLoop() {
    return currentLoop.load(std::memory_order_acquire);
}

void setEventLoop(TeventLoop* loop) {
    currentLoop.store(loop, std::memory_order_release);
}
