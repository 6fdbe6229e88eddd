#pragma once

#include "logger/archive/HistorySource.h"

#include <cstdint>
#include <vector>

// An archive's read access over a made-up curve: one reading a `stepSeconds` from `first` to
// `last`, none inside the gap [gapFrom, gapTo). Remembers what it was asked.
class FakeArchive : public ThistorySource {
public:
    std::int64_t first = 0, last = 0, stepSeconds = 60;
    std::int64_t gapFrom = 0, gapTo = 0;
    mutable std::int64_t askedFrom = -1, askedTo = -1, askedPoints = -1;

    static double qfeAt(std::int64_t t) { return 1000.0 + static_cast<double>(t % 3600) / 360.0; }

    std::vector<ThistoryBucket> history(std::int64_t from, std::int64_t to,
                                        int points) const override {
        askedFrom = from;
        askedTo = to;
        askedPoints = points;
        std::vector<ThistoryBucket> out;
        const std::int64_t width = (to - from + points - 1) / points;
        for (std::int64_t start = from; start < to; start += width)
            if (const auto s = over(start, start + width)) {
                ThistoryBucket b{start, width, {}};
                b.quantities[static_cast<int>(Tquantity::Qfe)] = *s;
                out.push_back(b);
            }
        return out;
    }
    Tsummaries summary(std::int64_t from, std::int64_t to) const override {
        Tsummaries all;
        all[static_cast<int>(Tquantity::Qfe)] = over(from, to);
        return all;
    }

private:
    std::optional<Tsummary> over(std::int64_t from, std::int64_t to) const {
        Tsummary s;
        double sum = 0;
        for (std::int64_t t = first; t <= last; t += stepSeconds) {
            if (t < from || t >= to || (t >= gapFrom && t < gapTo)) continue;
            const double v = qfeAt(t);
            if (s.count == 0 || v < s.min) s.min = v, s.minTime = t;
            if (s.count == 0 || v > s.max) s.max = v, s.maxTime = t;
            sum += v;
            ++s.count;
        }
        if (s.count == 0) return std::nullopt;
        s.mean = sum / static_cast<double>(s.count);
        return s;
    }
};
