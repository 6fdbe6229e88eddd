#pragma once

#include "core/RealtimeLoop.h"

#include <cstdint>
#include <functional>

// A real-clock loop that shows the test each post in the thread that makes it.
class WatchedLoop : public TrealtimeLoop {
public:
    void post(TeventResource* target, std::int32_t code) override {
        if (onPost) onPost(target, code);
        TrealtimeLoop::post(target, code);
    }
    std::function<void(TeventResource*, std::int32_t)> onPost;
};
