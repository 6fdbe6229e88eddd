#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The quantities the archive keeps a summary of, in SI units (hPa, m, °C, % RH).
enum class Tquantity { Qfe, Qnh, Qff, Altitude, Temperature, Humidity, HumidityTemperature };
inline constexpr int QuantityCount = 7;

// A quantity over a stretch of time: how many readings had it, their mean, and the lowest and
// highest with the time (calendar seconds) of each.
struct Tsummary {
    std::int64_t count = 0;
    double mean = 0;
    double min = 0, max = 0;
    std::int64_t minTime = 0, maxTime = 0;
};
using Tsummaries = std::array<std::optional<Tsummary>, QuantityCount>;

// One point of a curve: the stretch [start, start + seconds) and each quantity over it.
struct ThistoryBucket {
    std::int64_t start = 0;
    std::int64_t seconds = 0;
    Tsummaries quantities;
};

// Read access to the archive for the outputs that show the past (the web page, the export).
// One object serves one thread at a time.
class ThistorySource {
public:
    virtual ~ThistorySource() = default;
    // The span [from, to) as at most `points` buckets of equal length, read from the finest
    // stored level (raw, minute, hour, day) with at most 2 x `points` rows in the span, each
    // bucket that level's steps merged as needed to stay within `points` (a day at 2000 points:
    // its 1440 minutes; a week: 168 hours; a year: 365 days). A bucket starts on a step of the
    // level; one without any reading is left out, so a gap stays a gap.
    virtual std::vector<ThistoryBucket> history(std::int64_t from, std::int64_t to,
                                                int points) const = 0;
    // Each quantity over [from, to): count, mean, min and max with their times (the records of
    // a day, a month, a year or all time).
    virtual Tsummaries summary(std::int64_t from, std::int64_t to) const = 0;
};
