#pragma once

#include "station/ReadingHistory.h"

#include <functional>

// A history of minutes from a curve: minute `time` has pressure(time) and temperature(time) for
// every `step` seconds from `first` to `last`; it counts how often it is asked.
class TfakeHistory : public TreadingHistory {
public:
    std::function<double(std::int64_t)> pressure = [](std::int64_t) { return 1000.0; };
    std::function<double(std::int64_t)> temperature = [](std::int64_t) { return 10.0; };
    std::int64_t first = 0, last = -1, step = 60;
    mutable int asked = 0;

    TfakeHistory(std::int64_t from, std::int64_t to, std::int64_t every = 60)
        : first(from), last(to), step(every) {}

    std::vector<TpastMinute> minutes(std::int64_t from, std::int64_t to) const override {
        ++asked;
        std::vector<TpastMinute> out;
        for (std::int64_t t = first; t <= std::min(to, last); t += step)
            if (t >= from) out.push_back({t, pressure(t), std::nullopt, temperature(t)});
        return out;
    }
};
