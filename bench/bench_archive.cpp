// The logger's archive filled with one simulated year at TS = 1 (31.5 million readings), then
// read as its users read it: its size on disk with the default raw span, a day, a week, a month
// and a year as at most 2000 points, the records of a day, a month, a year and all time, the
// weather model's history rebuilt at a start; and the cost of one reading written one by one,
// a transaction each synced to the disk: its commit on the calling thread (mean, median, 99th
// percentile and worst), and as the logger writes it, handed over to the archive's writer thread
// (the CPU and wall time the handing over costs the calling thread, and the whole process's CPU
// time a reading, the commit included).
//
// The year is written through the archive's own aggregation, a day of readings a transaction
// (the rows of a minute, an hour and a day written once each, as an import writes them).
//
//   bench_archive [--days DAYS] [--file PATH] [--reads-only 1] [--to-now 1] [--live N]
//   (default 365 days from 2026-01-01, ./bench.sqlite, removed first; --reads-only reads a file
//   filled before; --to-now ends the filled days at most a day before the current time, so that a
//   logger started with `--archive PATH` shows them as its own past and goes on after them;
//   --live: the readings written one by one each way after the filled days, default 20000)
#include "logger/archive/Archive.h"
#include "logger/archive/ArchiveReader.h"
#include "logger/archive/ArchiveWriter.h"
#include "station/Tmeteo.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t Day = 86400;

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A reading as a station with a humidity sensor and the pressure products gives it.
class Tweather {
public:
    Treading at(std::int64_t time) {
        walk = std::clamp(walk + step(random), 960.0, 1045.0);
        const double hour = double(time % Day) / 3600;
        Treading r;
        r.time = time;
        r.link = 2;
        r.pressure = walk - 12;
        r.seaLevelPressure = walk;
        r.qff = walk + 0.4;
        r.altitude = 100;
        r.temperature = 10 + 8 * std::sin((hour - 9) / 24 * 2 * M_PI);
        r.humidity = 60 - 20 * std::sin((hour - 9) / 24 * 2 * M_PI);
        r.humidityTemperature = *r.temperature - 0.3;
        r.tendencyAmount = 0.3;
        r.tendencyCharacteristic = 2;
        r.D1 = 19962;
        r.D2 = 29402;
        r.weatherClass = 2;
        r.trend = 2;
        return r;
    }

private:
    std::mt19937 random{7};
    std::normal_distribution<double> step{0, 0.01};
    double walk = 1013;
};

double clockSeconds(clockid_t clock) {
    timespec t{};
    ::clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Readings written one by one through Tarchive::reading, each commit timed.
void committed(Tarchive& archive, Tweather& weather, std::int64_t from, int count) {
    std::vector<double> us;
    for (int i = 0; i < count; ++i) {
        const Treading r = weather.at(from + i);
        const double t0 = now();
        archive.reading(r);
        us.push_back((now() - t0) * 1e6);
    }
    const double mean = std::accumulate(us.begin(), us.end(), 0.0) / double(count);
    std::sort(us.begin(), us.end());
    std::printf("one reading written, a transaction each, synced: %.2f us; median %.2f us, "
                "99th percentile %.2f us, worst %.2f us (%d readings)\n",
                mean, us[us.size() / 2], us[us.size() * 99 / 100], us.back(), count);
}

// Readings handed over to the writer thread one by one, each committed before the next.
void handedOver(TarchiveWriter& writer, Tweather& weather, std::int64_t from, int count) {
    double cpu = 0, wall = 0;
    const double process0 = clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < count; ++i) {
        const Treading r = weather.at(from + i);
        const double c0 = clockSeconds(CLOCK_THREAD_CPUTIME_ID), t0 = now();
        writer.reading(r);
        cpu += clockSeconds(CLOCK_THREAD_CPUTIME_ID) - c0;
        wall += now() - t0;
        writer.flush();
    }
    const double process = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0;
    std::printf("one reading handed over to the writer: calling thread %.2f us CPU, %.2f us wall; "
                "process %.2f us CPU with the commit (%d readings)\n",
                cpu * 1e6 / count, wall * 1e6 / count, process * 1e6 / count, count);
}

// The median of `runs` timings of `what`, in ms.
template <class F> double medianMs(int runs, F what) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const double t0 = now();
        what();
        ms.push_back((now() - t0) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The first filled day: 2026-01-01 00:00 UTC, or so many days back from the current time that the
// live readings still end in the past.
std::int64_t firstDay(int days, bool toNow, std::int64_t live) {
    if (!toNow) return 1'767'225'600;
    const std::int64_t wall = std::chrono::duration_cast<std::chrono::seconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
    return (wall - live) / Day * Day - days * Day;
}

double fill(Tarchive& archive, Tweather& weather, std::int64_t start, int days) {
    const double t0 = now();
    std::vector<Treading> batch;
    for (int day = 0; day < days; ++day) {
        batch.clear();
        for (std::int64_t t = start + day * Day; t < start + (day + 1) * Day; ++t)
            batch.push_back(weather.at(t));
        archive.add(batch);
        if (day % 30 == 29) std::fprintf(stderr, "  %d days\n", day + 1);
    }
    return now() - t0;
}

std::uintmax_t sizeOnDisk(const std::string& file) {
    std::uintmax_t size = std::filesystem::file_size(file);
    for (const char* suffix : {"-wal", "-shm"})
        if (std::filesystem::exists(file + suffix))
            size += std::filesystem::file_size(file + suffix);
    return size;
}

void reads(const std::string& file, std::int64_t end) {
    TarchiveReader reader(file);
    const std::pair<const char*, std::int64_t> spans[] = {
        {"day", Day}, {"week", 7 * Day}, {"month", 30 * Day}, {"year", 365 * Day}};
    for (const auto& [name, seconds] : spans) {
        std::size_t points = 0;
        const double ms =
            medianMs(15, [&] { points = reader.history(end - seconds, end, 2000).size(); });
        std::printf("history of a %-5s  %8.2f ms  (%zu points)\n", name, ms, points);
    }
    for (const auto& [name, seconds] : spans) {
        const double ms = medianMs(15, [&] { reader.summary(end - seconds, end); });
        std::printf("records of a %-5s  %8.2f ms\n", name, ms);
    }
    std::printf("records, all time   %8.2f ms\n",
                medianMs(15, [&] { reader.summary(INT64_MIN / 2, INT64_MAX / 2); }));
    std::vector<std::pair<std::int64_t, double>> past;
    const double rebuild = medianMs(15, [&] {
        past.clear();
        for (const TpastMinute& m : reader.minutes(end - 21 * 3600, end))
            past.emplace_back(m.time, *m.seaLevelPressure);
        Tmeteo meteo([end] { return end; });
        meteo.replay(past, end);
    });
    std::printf("history rebuild     %8.2f ms  (%zu minutes)\n", rebuild, past.size());
}

} // namespace

int main(int argc, char** argv) {
    int days = 365;
    std::string file = "bench.sqlite";
    bool readsOnly = false;
    bool toNow = false;
    int live = 20'000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--days") == 0) days = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--file") == 0) file = argv[i + 1];
        if (std::strcmp(argv[i], "--reads-only") == 0) readsOnly = std::atoi(argv[i + 1]) != 0;
        if (std::strcmp(argv[i], "--to-now") == 0) toNow = std::atoi(argv[i + 1]) != 0;
        if (std::strcmp(argv[i], "--live") == 0) live = std::atoi(argv[i + 1]);
    }
    const std::int64_t liveSpan = 2 * std::int64_t(live); // the live readings of both ways
    const std::int64_t start = firstDay(days, toNow, liveSpan);
    if (readsOnly) {
        reads(file, start + days * Day + liveSpan);
        return 0;
    }
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(file + suffix);
    Tweather weather;
    std::int64_t end = start + days * Day;
    {
        Tarchive archive(file, 31, [](const std::string& line) { std::puts(line.c_str()); });
        const double seconds = fill(archive, weather, start, days);
        std::printf("filled %d days (%lld readings) in %.1f s, %.2f us a reading\n", days,
                    static_cast<long long>(days * Day), seconds,
                    seconds * 1e6 / double(days * Day));
        committed(archive, weather, end, live);
        end += live;
    }
    {
        TarchiveWriter writer(file, 31, [](const std::string& line) { std::puts(line.c_str()); });
        handedOver(writer, weather, end, live);
        end += live;
    }
    std::printf("size on disk        %.1f MB (raw rows kept 31 days)\n",
                double(sizeOnDisk(file)) / 1e6);
    reads(file, end);
    return 0;
}
