#pragma once

#include "emulator/SerialModule.h"
#include "emulator/WeatherScenario.h"

#include <cstdint>
#include <string>
#include <vector>

class TportPublisher;
class TptyModule;

// What the standalone emulator is told on its command line.
struct TemulatorOptions {
    static constexpr std::int32_t WireBaud = 38400;

    TweatherScenario scenario; // its base holds the values to measure
    bool weather = false;      // play the scenario; otherwise the base values stay
    double timeScale = 1.0;    // scenario seconds per real second
    bool startHourGiven = false;
    TmoduleFault fault = TmoduleFault::None;
    TmoduleTiming timing;
    std::int32_t paceBaud = 0; // 0: bytes as fast as the pty moves them
    int com = 0;               // 0: the first free number of the emulated range
    double unplugAt = -1;      // seconds after the start; below 0: never
    double unplugFor = 10;     // seconds
};

extern const char* const EmulatorUsage;

// Reads the options (args without the program name); false for anything it does not know.
bool parseEmulatorOptions(const std::vector<std::string>& args, TemulatorOptions& options);
// The fault of a name as the options and the commands spell it ("bad-checksum"...).
bool faultNamed(const std::string& name, TmoduleFault& fault);
const char* faultName(TmoduleFault fault);

// The running emulator between its clock and its standard input: it keeps the module's
// conditions on the scenario, takes the commands, and plugs a module that was unplugged for a
// while back in when its time is up. Times are seconds of real time since the start.
class TemulatorSession {
public:
    TemulatorSession(const TemulatorOptions& options, TserialModule& module, TptyModule& pty,
                     TportPublisher* publisher = nullptr);

    // One line of standard input; what it prints goes to `out`. False for "quit".
    bool command(const std::string& line, double now, std::string& out);
    // Moves the session to `now`; what happened (an unplug, a plug) goes to `out`.
    void tick(double now, std::string& out);
    // The module's conditions at `now`.
    TmoduleConditions conditionsAt(double now) const;
    // When the module comes back, or below 0 when no plug is due.
    double plugDue() const { return plugAt; }

private:
    void unplug(double now, double seconds, std::string& out);
    void plug(std::string& out);
    bool setValue(const std::string& name, double value);
    std::string status(double now) const;

    TemulatorOptions opts;
    TserialModule& module;
    TptyModule& pty;
    TportPublisher* publisher;
    double plugAt = -1;
    bool scheduledUnplugDone = false;
};
