#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// One minute of past readings: the means of the station pressure (QFE), the sea-level pressure
// (QNH) and the temperature, each absent when no reading of that minute had it.
struct TpastMinute {
    std::int64_t time = 0;                  // calendar seconds at the minute's start
    std::optional<double> pressure;         // [hPa]
    std::optional<double> seaLevelPressure; // [hPa]
    std::optional<double> temperature;      // [°C]
};

// What a station that keeps a history (the logger's archive) remembers, asked by the station
// when it starts so that the values that look back (the weather model's hourly history and trend,
// the 3-hour tendency, the storm alarm, the reduction with the 12-hour mean temperature) are
// right from the first reading, as if it had never stopped; afterwards the station keeps its
// own recent minutes from the readings it hands on.
class TreadingHistory {
public:
    virtual ~TreadingHistory() = default;
    // The minutes from `from` to `to` (calendar seconds, both included), oldest first; a minute
    // without any reading is left out.
    virtual std::vector<TpastMinute> minutes(std::int64_t from, std::int64_t to) const = 0;
};
