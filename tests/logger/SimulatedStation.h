#pragma once

#include "core/Sequence.h"
#include "links/Serial_enum.h"
#include "logger/Refinder.h"
#include "station/Reading.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The main sequence and the module as the re-finder sees them, in virtual time: a search walks
// the re-finder's plan (a port without the module costs two reply time-outs, a missing one a
// failed open), ends with the found pause or "not found", and then measures every TS: a valid
// sample while the module sits on the port found, an invalid one after the reply time-outs
// otherwise. The module can be unplugged and plugged back under any COM number.
class SimulatedStation : public TeventResource {
public:
    static constexpr std::int64_t TsMs = 10'000;
    static constexpr std::int64_t MeasureMs = 400;
    static constexpr std::int64_t FailedMeasureMs = 3'000;
    static constexpr std::int64_t EmptyPortMs = 2'000;
    static constexpr std::int64_t MissingPortMs = 10;
    static constexpr std::int64_t ModulePortMs = 150;
    static constexpr std::int64_t FoundPauseMs = 2'000;

    SimulatedStation() : delay(std::make_unique<Tdelay_resource>()) { delay->reserve(this, false); }
    ~SimulatedStation() override { delay.reset(); }

    // Called by the re-finder: the search starts with the next message, as a posted restart
    // of the main sequence does.
    void restart() { postNotification(this, RestartCode); }

    void OnNotification(TeventResource* sender, std::int32_t code) override {
        if (sender == this && code == RestartCode) search();
        if (sender == delay.get() && code == SEQUENCE_SUCCESS) step();
    }

    // COM numbers present without the module (their search fails after the time-outs).
    std::vector<int> otherPorts{1};
    std::int64_t tsMs = TsMs; // the sensor's TS, which the re-finder reads
    int moduleCom = 0;        // 0: unplugged
    bool reports = true;      // false: a failing cycle reports nothing at all
    std::vector<std::int64_t> searchStarts;
    Trefinder* finder = nullptr;            // whose plan a search walks
    std::vector<TreadingSink*> sinks;       // told the search and every reading
    std::function<std::int64_t()> now;      // virtual milliseconds
    std::function<std::int64_t()> calendar; // the readings' times

private:
    static constexpr std::int32_t RestartCode = 6;
    enum class Phase { Trying, FoundPause, Waiting };

    void search() {
        delay->cancelDelay();
        searchStarts.push_back(now ? now() : 0);
        Tserial_enum present(TserialRoots{"/nonexistent", "/nonexistent", "/nonexistent"});
        for (int com : otherPorts)
            present.present[com] = 1;
        if (moduleCom) present.present[moduleCom] = 1;
        plan = finder->searchPlan(present);
        index = 0;
        tell([](TreadingSink* s) { s->searchStarted(); });
        tryPort();
    }

    bool holdsModule(const std::string& port) const {
        return moduleCom && port == "COM" + std::to_string(moduleCom);
    }
    bool isPresent(const std::string& port) const {
        if (holdsModule(port) || port == "LPT1") return true;
        for (int com : otherPorts)
            if (port == "COM" + std::to_string(com)) return true;
        return false;
    }

    void tryPort() {
        if (index >= plan.size()) {
            tell([](TreadingSink* s) { s->searchEnded(false); });
            measuredCom.clear();
            wait(Phase::Waiting, tsMs);
            return;
        }
        const std::string& port = plan[index];
        tell([&port](TreadingSink* s) { s->portTried(port); });
        wait(Phase::Trying, holdsModule(port) ? ModulePortMs
                            : isPresent(port) ? EmptyPortMs
                                              : MissingPortMs);
    }

    void step() {
        switch (phase) {
        case Phase::Trying:
            if (holdsModule(plan[index])) {
                tell([](TreadingSink* s) { s->portResult(true); });
                measuredCom = plan[index];
                wait(Phase::FoundPause, FoundPauseMs);
            } else {
                tell([](TreadingSink* s) { s->portResult(false); });
                ++index;
                tryPort();
            }
            return;
        case Phase::FoundPause:
            tell([](TreadingSink* s) { s->searchEnded(true); });
            wait(Phase::Waiting, MeasureMs);
            return;
        case Phase::Waiting: measure(); return;
        }
    }

    // One cycle's end: a reading (with no module, one without values), then TS to the next.
    void measure() {
        Treading r;
        r.time = calendar ? calendar() : 0;
        if (!measuredCom.empty() && holdsModule(measuredCom)) {
            wait(Phase::Waiting, tsMs + MeasureMs);
            r = {r.time, 1,     1001.25, 1014.0, 98.5, 20.5, 55.0, 20.25, 1,
                 2,      19900, 29500,   0,      {},   {},   {},   false};
        } else {
            wait(Phase::Waiting, tsMs + FailedMeasureMs);
            if (!reports) return;
        }
        tell([&r](TreadingSink* s) { s->reading(r); });
    }

    template <class Event> void tell(Event event) {
        for (TreadingSink* sink : sinks)
            event(sink);
    }

    void wait(Phase next, std::int64_t ms) {
        phase = next;
        delay->cancelDelay();
        delay->setDelay(static_cast<std::int32_t>(ms));
    }

    std::unique_ptr<Tdelay_resource> delay;
    std::vector<std::string> plan;
    std::size_t index = 0;
    Phase phase = Phase::Waiting;
    std::string measuredCom;
};
