#pragma once

#include "station/PressureTendency.h"
#include "station/Reading.h"
#include "station/ReadingHistory.h"
#include "station/RecentMinutes.h"
#include "station/StormAlarm.h"

#include <cstdint>
#include <optional>

// The pressure products of a station that keeps a history: the QFF, the 3-hour tendency and the
// storm alarm, from the station's recent minutes. Seeded from the history once at the start
// (the alarm state replayed over the recalled minutes), then fed by every reading.
class TpressureProducts {
public:
    static constexpr std::int64_t tendencySpan = 3 * 3600;        // [s]
    static constexpr std::int64_t pointTolerance = 5 * 60;        // [s] around the curve's points
    static constexpr std::int64_t twelveHours = 12 * 3600;        // [s]
    static constexpr std::int64_t temperatureTolerance = 30 * 60; // [s]

    // Asks the history for the last 13 hours before `now`.
    void recall(const TreadingHistory& history, std::int64_t now);
    // Adds the reading (its QFE and temperature) to the recent minutes and fills its QFF,
    // tendency and alarm state; `altitude` is the local altitude [m].
    void fill(Treading& reading, double altitude);

    // The tendency at `time` with the pressure `now` [hPa]; absent with less than 3 hours known.
    std::optional<TpressureTendency> tendency(std::int64_t time, double now) const;
    TstormAlarm& alarm() { return storm; }
    const TstormAlarm& alarm() const { return storm; }

private:
    TrecentMinutes recent;
    TstormAlarm storm;
};
