#pragma once

#include "station/Reading.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

// The station as the web server shows it: where the module is and since when.
struct TstationState {
    std::string port;            // the port the module was last found on
    bool present = false;        // the last reading had the module's values
    bool searching = false;      // a search is going on
    std::int64_t foundSince = 0; // calendar seconds; 0 never found
    std::int64_t lostSince = 0;  // calendar seconds of the last loss; 0 never lost
};

// What a request sees: the last reading with values, the station's state, and a serial
// number that grows with every change.
struct TwebSnapshot {
    std::optional<Treading> reading;
    TstationState state;
    std::uint64_t serial = 0;
};

// The web server's copy of the station, filled in the loop thread and read by the request
// threads. Each side holds the lock only to copy; the loop never waits for a request.
class TwebState : public TreadingSink {
public:
    explicit TwebState(std::function<std::int64_t()> clock);

    void reading(const Treading& reading) override;
    void searchStarted() override;
    void portTried(const std::string& port) override;
    void portResult(bool found) override;
    void searchEnded(bool found) override;
    void moduleLost() override;

    TwebSnapshot snapshot() const;
    // Waits until the serial number differs from `seen`, the time is up or the state closes;
    // the snapshot then.
    TwebSnapshot waitForChange(std::uint64_t seen, std::chrono::milliseconds timeout) const;
    // Wakes every waiter for good (the server stops).
    void close();
    bool closed() const;

private:
    template <class Change> void change(Change apply);

    std::function<std::int64_t()> now;
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    TwebSnapshot current;
    std::string tried;
    bool ending = false;
};
