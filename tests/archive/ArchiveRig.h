#pragma once

#include "logger/archive/Archive.h"
#include "logger/archive/ArchiveReader.h"
#include "logger/archive/ArchiveWriter.h"
#include "logger/archive/Summary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

// A value as the data file and the archive hold it, in hundredths.
inline double hundredth(double value) {
    return std::round(value * 100) / 100;
}

// A measured reading at `time`: the pressures and the altitude follow `pressure`, the humidity
// only when given.
inline Treading readingAt(std::int64_t time, double pressure, double temperature,
                          std::optional<double> humidity = std::nullopt) {
    Treading r;
    r.time = time;
    r.link = 2;
    r.pressure = hundredth(pressure);
    r.seaLevelPressure = hundredth(pressure + 12);
    r.altitude = hundredth((1013.25 - pressure) * 8);
    r.temperature = hundredth(temperature);
    if (humidity) {
        r.humidity = hundredth(*humidity);
        r.humidityTemperature = hundredth(temperature - 1);
    }
    r.D1 = int(pressure * 10);
    r.D2 = int(temperature * 10);
    return r;
}

// Readings every `step` seconds from `from` to before `to`, with values that wander.
inline std::vector<Treading> wandering(std::int64_t from, std::int64_t to, std::int64_t step) {
    std::vector<Treading> out;
    for (std::int64_t t = from; t < to; t += step) {
        const double x = double(t - from);
        out.push_back(readingAt(
            t, 1000 + 9 * std::sin(x / 7000) + std::fmod(x, 13) / 10, 15 + 5 * std::cos(x / 30000),
            (t / step) % 3 ? std::optional<double>(50 + std::fmod(x, 17)) : std::nullopt));
    }
    return out;
}

// Each quantity over the readings in [from, to), counted by hand: the earliest extreme on a tie.
inline Tsummaries bruteSummary(const std::vector<Treading>& readings, std::int64_t from,
                               std::int64_t to) {
    Tsummaries out;
    std::array<double, QuantityCount> sums{};
    auto first = std::partition_point(readings.begin(), readings.end(),
                                      [from](const Treading& r) { return r.time < from; });
    for (const Treading& r : std::span(first, readings.end())) {
        if (r.time >= to) break;
        const Tvalues values = valuesOf(r);
        for (std::size_t q = 0; q < values.size(); ++q) {
            if (!values[q]) continue;
            const double v = *values[q];
            if (!out[q]) out[q] = Tsummary{0, 0, v, v, r.time, r.time};
            Tsummary& s = *out[q];
            s.count += 1;
            sums[q] += v;
            if (v < s.min) s = Tsummary{s.count, 0, v, s.max, r.time, s.maxTime};
            if (v > s.max) s = Tsummary{s.count, 0, s.min, v, s.minTime, r.time};
        }
    }
    for (std::size_t q = 0; q < out.size(); ++q)
        if (out[q]) out[q]->mean = sums[q] / double(out[q]->count);
    return out;
}

inline void expectSummaries(const Tsummaries& got, const Tsummaries& want,
                            const std::string& what) {
    for (std::size_t q = 0; q < want.size(); ++q) {
        ASSERT_EQ(got[q].has_value(), want[q].has_value()) << what << " quantity " << q;
        if (!want[q]) continue;
        EXPECT_EQ(got[q]->count, want[q]->count) << what << " quantity " << q;
        EXPECT_NEAR(got[q]->mean, want[q]->mean, 1e-9) << what << " quantity " << q;
        EXPECT_EQ(got[q]->min, want[q]->min) << what << " quantity " << q;
        EXPECT_EQ(got[q]->minTime, want[q]->minTime) << what << " quantity " << q;
        EXPECT_EQ(got[q]->max, want[q]->max) << what << " quantity " << q;
        EXPECT_EQ(got[q]->maxTime, want[q]->maxTime) << what << " quantity " << q;
    }
}

// The archive, written on the calling thread or on the writer's; the lines it says, and whether
// each was said on the thread that made it.
struct ArchiveRig : ::testing::Test {
    template <class Archive = Tarchive> std::unique_ptr<Archive> open(int keepRawDays = 31) {
        return std::make_unique<Archive>(path, keepRawDays, [this](const std::string& line) {
            said.push_back(line);
            saidElsewhere += std::this_thread::get_id() != owner;
        });
    }
    TempDir dir;
    std::string path = dir.file("samples.sqlite");
    std::vector<std::string> said;
    int saidElsewhere = 0;
    std::thread::id owner = std::this_thread::get_id();
};
