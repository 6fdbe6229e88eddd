#pragma once

#include "core/Eventresource.h"

#include <cstdint>

constexpr std::int32_t SEQUENCE_SUCCESS = 0;
constexpr std::int32_t SEQUENCE_CANCELLED = 1;
constexpr std::int32_t SEQUENCE_ERROR = 2;
// Code a sequence posts to itself to be cancelled.
constexpr std::int32_t CANCEL_REQUEST = 9000;
// The end steps: END_STEP + a result above ends the sequence with that result.
constexpr std::int32_t END_STEP = 1000;

// Base of every step machine. A concrete sequence overrides OnNotification with
// dispatch(sender, code) and writes its step table in runStep():
//
//     case 120:
//         if (entered) startSomething();           // entry actions
//         transitionOn(child, SEQUENCE_SUCCESS, 140); // transitions
//         transitionOn(this, CANCEL_REQUEST, END_STEP);
//         break;
//
// The end steps 1000, 1001 and 1002 are handled here for every sequence.
class Tsequence : public TeventResource {
public:
    explicit Tsequence(const char* name = nullptr) : TeventResource(name) {}

    void beginDispatch(TeventResource* sender, std::int32_t code);
    bool transitionOn(TeventResource* sender, std::int32_t code, std::int32_t target);
    bool advance();
    void cancel(TeventResource* requester, bool force);
    void OnNotification(TeventResource* sender, std::int32_t code) override;

    std::int32_t getStep() const { return step; }

protected:
    // The class name used in the per-notification and end log lines; null logs neither.
    virtual const char* logName() const { return nullptr; }
    // The step table: entry actions of `step` when `entered`, then its transitions.
    virtual void runStep() {}
    // Runs one notification through the step table, end steps included.
    void dispatch(TeventResource* sender, std::int32_t code);
    // Extra work of an end step before the owner is told (for example releasing a resource).
    virtual void onEnd(std::int32_t) {}

    bool entered = false;
    std::int32_t nextStep = 0;
    TeventResource* lastSender = nullptr;
    std::int32_t lastCode = 0;
    std::int32_t step = 0;

private:
    void logNotification(TeventResource* sender, std::int32_t code) const;
    void runEndStep(std::int32_t result);
};

// One-shot wait. Its owner hears (delay, SEQUENCE_SUCCESS) when the time is up.
class Tdelay_resource : public Tsequence {
public:
    explicit Tdelay_resource(const char* name = nullptr) : Tsequence(name) {}
    ~Tdelay_resource() override;

    void setDelay(std::int32_t ms);
    void cancelDelay();
    void onTimer();
    void OnNotification(TeventResource* sender, std::int32_t code) override;

    unsigned getTimerId() const { return timerId; }

private:
    unsigned timerId = 0;
};
