#include "core/Eventresource.h"

#include "core/EventLoop.h"
#include "core/Strutil.h"

#include <chrono>
#include <thread>

TeventResource::TeventResource(const char* resourceName) {
    copyBounded(name, resourceName ? resourceName : "--unnamed--", NameSize);
}

TeventResource::~TeventResource() {
    if (TeventLoop* loop = eventLoop()) loop->forget(this);
    owner = nullptr;
}

namespace {
// Waits at most `ms` for the mutex; true when it was taken.
bool lockWithin(std::mutex& mutex, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!mutex.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
} // namespace

// A wait that runs out goes on regardless: the owner changes either way.
void TeventResource::setOwner(TeventResource* newOwner) {
    const bool locked = lockWithin(ownerMutex, OwnerWaitMs);
    owner = newOwner;
    if (locked) ownerMutex.unlock();
}

bool TeventResource::reserve(TeventResource* newOwner, bool force) {
    if (!newOwner) return false;
    if (owner == newOwner) return true;
    if (owner && !force) return false;
    setOwner(newOwner);
    return true;
}

void TeventResource::release(TeventResource* currentOwner) {
    if (!currentOwner || currentOwner != owner) return;
    setOwner(nullptr);
}

void TeventResource::OnNotification(TeventResource*, std::int32_t) {}

void postNotification(TeventResource* target, std::int32_t code) {
    if (TeventLoop* loop = eventLoop()) loop->post(target, code);
}
