#pragma once

#include "station/ReadingHistory.h"

#include <cstdint>
#include <deque>
#include <optional>

// The station's own recent past: per calendar minute the means of the station pressure (QFE)
// and the temperature, for the last `span` seconds. Seeded from a history's minutes at the start,
// then fed with every reading; the oldest minutes fall out as new ones come.
class TrecentMinutes {
public:
    static constexpr std::int64_t defaultSpan = 13 * 3600;

    explicit TrecentMinutes(std::int64_t span = defaultSpan) : span(span) {}

    // A past minute as the history gives it (in time order, after the minutes held).
    void recall(const TpastMinute& minute);
    // A reading at `time` (calendar seconds); an absent value leaves its mean as it was.
    void add(std::int64_t time, std::optional<double> pressure, std::optional<double> temperature);

    // The mean QFE of the minutes that start within `tolerance` seconds of `time`; absent when
    // none has a pressure.
    std::optional<double> pressureAround(std::int64_t time, std::int64_t tolerance) const;
    // The temperature of the minute nearest to `time`, within `tolerance` seconds.
    std::optional<double> temperatureNear(std::int64_t time, std::int64_t tolerance) const;
    // The start of the oldest minute with a pressure; absent when there is none.
    std::optional<std::int64_t> oldestPressure() const;
    bool empty() const { return minutes.empty(); }

private:
    struct Tminute {
        std::int64_t time = 0;
        double pressureSum = 0, temperatureSum = 0;
        int pressureCount = 0, temperatureCount = 0;
    };
    void forgetBefore(std::int64_t time);
    std::deque<Tminute>::const_iterator firstFrom(std::int64_t time) const;

    std::int64_t span;
    std::deque<Tminute> minutes; // oldest first, each minute once
};
