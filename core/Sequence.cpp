#include "core/Sequence.h"

#include "core/EventLoop.h"
#include "core/Tdebug.h"

void Tsequence::beginDispatch(TeventResource* sender, std::int32_t code) {
    nextStep = step;
    lastSender = sender;
    lastCode = code;
    entered = false;
}

bool Tsequence::transitionOn(TeventResource* sender, std::int32_t code, std::int32_t target) {
    if (entered || sender != lastSender || code != lastCode) return false;
    nextStep = target;
    return true;
}

bool Tsequence::advance() {
    if (entered || nextStep == step) return false;
    entered = true;
    step = nextStep;
    return true;
}

void Tsequence::cancel(TeventResource* requester, bool force) {
    if (requester == owner || force) postNotification(this, CANCEL_REQUEST);
}

void Tsequence::OnNotification(TeventResource* sender, std::int32_t code) {
    if (traceFlags & TraceNotifications)
        debugPrint("%s : OnNotification(%s, %d) @%d", getName(), sender ? sender->getName() : "",
                   code, step);
}

void Tsequence::logNotification(TeventResource* sender, std::int32_t code) const {
    const char* cls = logName();
    if (!cls) return;
    if (sender == this)
        debugPrint("%s #%d : OnNotification(THIS, %d)", cls, step, code);
    else
        debugPrint("%s #%d : OnNotification(%d, %d)", cls, step, logNumber(sender), code);
}

void Tsequence::dispatch(TeventResource* sender, std::int32_t code) {
    logNotification(sender, code);
    beginDispatch(sender, code);
    do {
        if (entered && step >= END_STEP + SEQUENCE_SUCCESS && step <= END_STEP + SEQUENCE_ERROR)
            runEndStep(step - END_STEP);
        else
            runStep();
    } while (advance());
    Tsequence::OnNotification(sender, code);
}

void Tsequence::runEndStep(std::int32_t result) {
    static const char* const names[] = {"SEQUENCE_SUCCESS", "SEQUENCE_CANCELLED", "SEQUENCE_ERROR"};
    onEnd(result);
    if (const char* cls = logName()) debugPrint("%s : terminated %s ", cls, names[result]);
    step = 0;
    if (owner) owner->OnNotification(this, result);
}

Tdelay_resource::~Tdelay_resource() {
    cancelDelay();
}

void Tdelay_resource::setDelay(std::int32_t ms) {
    if (ms == 0) {
        postNotification(this, 1);
        return;
    }
    if (ms < 0 || timerId != 0) return;
    TeventLoop* loop = eventLoop();
    if (!loop) return;
    timerId = loop->startTimer(this, static_cast<unsigned>(ms));
    if (traceFlags & TraceDelays) debugPrint("delay : setDelay (%d) [%d]", ms, timerId);
}

void Tdelay_resource::cancelDelay() {
    if (timerId == 0) return;
    if (TeventLoop* loop = eventLoop()) loop->killTimer(timerId);
    timerId = 0;
}

void Tdelay_resource::onTimer() {
    cancelDelay();
    OnNotification(this, 1);
}

void Tdelay_resource::OnNotification(TeventResource* sender, std::int32_t code) {
    Tsequence::OnNotification(sender, code);
    if (sender != this || !owner) return;
    if (code == 1)
        owner->OnNotification(this, SEQUENCE_SUCCESS);
    else if (code == CANCEL_REQUEST)
        owner->OnNotification(this, SEQUENCE_CANCELLED);
}
