#pragma once

#include <cstdint>

class TeventResource;
class Tdelay_resource;

// What the model asks of the GUI thread's message loop: posted notifications, delivered later in
// posting order, and one-shot timers that call Tdelay_resource::onTimer when they expire.
class TeventLoop {
public:
    virtual ~TeventLoop() = default;

    // Thread-safe, never blocks. A null target is delivered as nothing.
    virtual void post(TeventResource* target, std::int32_t code) = 0;
    // Starts a one-shot timer for the delay; returns its id, never 0.
    virtual unsigned startTimer(Tdelay_resource* delay, unsigned ms) = 0;
    virtual void killTimer(unsigned id) = 0;
    // Drops every pending notification and timer of an object that is being destroyed.
    virtual void forget(TeventResource* target) = 0;
};

// The loop in use; null before the signal window (or a test loop) exists.
TeventLoop* eventLoop();
void setEventLoop(TeventLoop* loop);
