#pragma once

#include <cstdint>
#include <optional>

// The storm alarm: raised when the pressure fell by at least `drop` hPa in the last 3 hours,
// cleared when that fall has stayed under `drop - hysteresis` for an hour. Without a 3-hour
// tendency (not enough past) the state holds.
class TstormAlarm {
public:
    static constexpr std::int64_t clearAfter = 3600; // [s]

    double drop = 4.0;       // [hPa]
    double hysteresis = 1.0; // [hPa]

    // The tendency amount (pressure now minus 3 hours ago) at `time`; true when the state changed.
    bool update(std::int64_t time, std::optional<double> amount);
    bool raised() const { return on; }
    // The fall that raised the alarm or the last one seen while it was raised.
    double fall() const { return lastFall; }

private:
    bool on = false;
    double lastFall = 0;
    std::optional<std::int64_t> calmSince; // the fall under drop - hysteresis since then
};
