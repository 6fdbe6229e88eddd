#pragma once

#include "core/Sequence.h"
#include "measurement/Seqmain.h"
#include "station/Reading.h"
#include "station/Tmeteo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Tsensor;

// Finds the module again by itself. As a sink of the station it hears how every search of the
// main sequence ends and every reading, measured or not.
// When the search at start finds nothing, or 3 cycles in a row fail, it says so once and has
// the main sequence search again, the port last used first, then every other one; a search
// that finds nothing is tried again after 5 s, 10 s, 30 s and then every 60 s, for ever. Each
// change of state is one line: "module found on COM33 (/dev/ttyUSB0)", "module lost",
// "module found again after 00:02:10".
class Trefinder : public TeventResource, public TreadingSink {
public:
    static constexpr int FailedCyclesForLoss = 3;
    static constexpr std::int32_t BackOffMs[] = {5'000, 10'000, 30'000, 60'000};

    // `fixedPort` limits every search to that port ("LPT1" or "COM%d"); empty searches all.
    // `restartSearch` has the main sequence search again (the module is lost).
    Trefinder(std::string fixedPort, std::function<void(const std::string&)> say,
              TcalendarClock clock, bool verbose, std::function<void()> restartSearch);
    ~Trefinder() override;

    // The order the main sequence searches in, from the ports present.
    std::vector<std::string> searchPlan(const Tserial_enum& present) const;

    // The sensor whose N and TS give the time a cycle may take; without one, N = TS = 1.
    void watch(const Tsensor* measuring) { sensor = measuring; }

    void cycleMeasured();
    void cycleFailed();

    // TreadingSink
    void reading(const Treading& reading) override;
    void portTried(const std::string& port) override;
    void portResult(bool found) override;
    void searchEnded(bool found) override;

    void OnNotification(TeventResource* sender, std::int32_t code) override;

    enum class State { Starting, Measuring, Searching, Waiting };
    State state() const { return current; }
    const std::string& lastPort() const { return last; }

    // "COM33 (/dev/ttyUSB0)", "LPT1 (/dev/parport0)".
    static std::string describePort(const std::string& port);
    // "00:02:10"; hours go on past 99.
    static std::string durationText(std::int64_t seconds);

private:
    void searchAgain();
    void found();
    void notFound();
    void startWatchdog();
    std::int64_t cycleMs() const;

    std::string fixed;
    std::function<void(const std::string&)> say;
    TcalendarClock clock;
    std::function<void()> restart;
    const Tsensor* sensor = nullptr;
    bool verbose;
    State current = State::Starting;
    std::string trying;
    std::string last;
    int failures = 0;
    std::size_t backOffStep = 0;
    bool everFound = false;
    bool toldNoModule = false;
    std::int64_t lostAt = 0;
    std::unique_ptr<Tdelay_resource> backOff;
    std::unique_ptr<Tdelay_resource> watchdog;
};
