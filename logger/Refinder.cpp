#include "logger/Refinder.h"

#include "links/PortAccess.h"
#include "links/Serial_enum.h"
#include "measurement/Tsensor.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

constexpr std::size_t BackOffSteps = std::size(Trefinder::BackOffMs);
// What one failing cycle may take on top of TS: command A and N conversions that each wait for
// their reply, the humidity words, and a second to spare.
constexpr std::int64_t ReplyWaitMs = 1000;

} // namespace

Trefinder::Trefinder(std::string fixedPort, std::function<void(const std::string&)> sayLine,
                     TcalendarClock calendar, bool verboseSearch,
                     std::function<void()> restartSearch)
    : TeventResource("refinder"), fixed(std::move(fixedPort)), say(std::move(sayLine)),
      clock(std::move(calendar)), restart(std::move(restartSearch)), verbose(verboseSearch),
      backOff(std::make_unique<Tdelay_resource>("refinder back-off")),
      watchdog(std::make_unique<Tdelay_resource>("refinder watchdog")) {
    backOff->reserve(this, false);
    watchdog->reserve(this, false);
}

Trefinder::~Trefinder() {
    backOff.reset();
    watchdog.reset();
}

std::vector<std::string> Trefinder::searchPlan(const Tserial_enum& present) const {
    if (!fixed.empty()) return {fixed};
    std::vector<std::string> plan;
    if (!last.empty()) plan.push_back(last);
    if (last != "LPT1") plan.emplace_back("LPT1");
    for (int number = 1; number < 256; ++number) {
        const std::string name = "COM" + std::to_string(number);
        if (present.present[number] && name != last) plan.push_back(name);
    }
    return plan;
}

std::int64_t Trefinder::cycleMs() const {
    const std::int64_t ts = sensor ? sensor->TS : 1;
    const std::int64_t n = sensor ? std::max(sensor->N, 1) : 1;
    return ts * 1000 + (n + 2) * ReplyWaitMs + 1000;
}

void Trefinder::reading(const Treading& reading) {
    if (reading.measured())
        cycleMeasured();
    else
        cycleFailed();
}

void Trefinder::cycleMeasured() {
    if (current != State::Measuring) return;
    failures = 0;
    startWatchdog();
}

void Trefinder::cycleFailed() {
    if (current != State::Measuring) return;
    startWatchdog();
    if (++failures >= FailedCyclesForLoss) searchAgain();
}

void Trefinder::portTried(const std::string& port) {
    trying = port;
    if (verbose) say("searching on " + trying);
}

// A port that could not be opened says why: busy, or no permission, rather than "not found".
void Trefinder::portResult(bool found) {
    if (!verbose) return;
    const std::string problem = found ? std::string() : portProblem(trying);
    say(trying + ": " + (found ? "found" : problem.empty() ? "not found" : problem));
}

void Trefinder::searchEnded(bool wasFound) {
    if (wasFound)
        found();
    else
        notFound();
}

void Trefinder::OnNotification(TeventResource* sender, std::int32_t code) {
    if (code != SEQUENCE_SUCCESS) return;
    if (sender == backOff.get() && current == State::Waiting) {
        current = State::Searching;
        restart();
    } else if (sender == watchdog.get() && current == State::Measuring) {
        searchAgain();
    }
}

// The module is lost: said once, then the search starts at once and backs off from there.
void Trefinder::searchAgain() {
    say("module lost");
    lostAt = clock();
    watchdog->cancelDelay();
    backOffStep = 0;
    current = State::Searching;
    restart();
}

void Trefinder::found() {
    const bool samePort = trying == last;
    if (!everFound)
        say("module found on " + describePort(trying));
    else
        say("module found again after " + durationText(clock() - lostAt) +
            (samePort ? "" : " on " + describePort(trying)));
    everFound = true;
    last = trying;
    current = State::Measuring;
    failures = 0;
    backOffStep = 0;
    backOff->cancelDelay();
    startWatchdog();
}

void Trefinder::notFound() {
    if (!toldNoModule && !everFound)
        say(fixed.empty() ? "no module found; searching again"
                          : "no module found on " + describePort(fixed) + "; searching again");
    toldNoModule = true;
    current = State::Waiting;
    backOff->setDelay(BackOffMs[std::min(backOffStep, BackOffSteps - 1)]);
    ++backOffStep;
}

// While the module measures, every cycle reports; three cycles without a report (a parallel
// port module whose reset fails reports none) count as a loss too.
void Trefinder::startWatchdog() {
    watchdog->cancelDelay();
    const std::int64_t ms = FailedCyclesForLoss * cycleMs();
    watchdog->setDelay(static_cast<std::int32_t>(std::min<std::int64_t>(ms, INT32_MAX)));
}

std::string Trefinder::describePort(const std::string& port) {
    const std::string device = port == "LPT1" ? "/dev/parport0" : comDevicePath(port.c_str());
    return device.empty() ? port : port + " (" + device + ")";
}

std::string Trefinder::durationText(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}
