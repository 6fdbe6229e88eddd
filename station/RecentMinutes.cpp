#include "station/RecentMinutes.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::int64_t minuteStart(std::int64_t time) {
    return time - ((time % 60) + 60) % 60;
}

} // namespace

void TrecentMinutes::recall(const TpastMinute& past) {
    const std::int64_t start = minuteStart(past.time);
    if (!minutes.empty() && start <= minutes.back().time) return;
    minutes.push_back({.time = start,
                       .pressureSum = past.pressure.value_or(0),
                       .temperatureSum = past.temperature.value_or(0),
                       .pressureCount = past.pressure ? 1 : 0,
                       .temperatureCount = past.temperature ? 1 : 0});
    forgetBefore(start - span);
}

void TrecentMinutes::add(std::int64_t time, std::optional<double> pressure,
                         std::optional<double> temperature) {
    const std::int64_t start = minuteStart(time);
    if (!minutes.empty() && start < minutes.back().time) return; // the clock went back
    if (minutes.empty() || minutes.back().time != start) minutes.push_back({.time = start});
    Tminute& m = minutes.back();
    if (pressure) {
        m.pressureSum += *pressure;
        ++m.pressureCount;
    }
    if (temperature) {
        m.temperatureSum += *temperature;
        ++m.temperatureCount;
    }
    forgetBefore(start - span);
}

void TrecentMinutes::forgetBefore(std::int64_t time) {
    while (!minutes.empty() && minutes.front().time < time)
        minutes.pop_front();
}

std::deque<TrecentMinutes::Tminute>::const_iterator
TrecentMinutes::firstFrom(std::int64_t time) const {
    return std::lower_bound(minutes.begin(), minutes.end(), time,
                            [](const Tminute& m, std::int64_t t) { return m.time < t; });
}

std::optional<double> TrecentMinutes::pressureAround(std::int64_t time,
                                                     std::int64_t tolerance) const {
    double sum = 0;
    int count = 0;
    for (auto m = firstFrom(time - tolerance); m != minutes.end() && m->time <= time + tolerance;
         ++m)
        if (m->pressureCount > 0) {
            sum += m->pressureSum / m->pressureCount;
            ++count;
        }
    if (count == 0) return std::nullopt;
    return sum / count;
}

std::optional<double> TrecentMinutes::temperatureNear(std::int64_t time,
                                                      std::int64_t tolerance) const {
    std::optional<double> best;
    std::int64_t bestDistance = tolerance + 1;
    for (auto m = firstFrom(time - tolerance); m != minutes.end() && m->time <= time + tolerance;
         ++m) {
        const std::int64_t distance = std::llabs(m->time - time);
        if (m->temperatureCount > 0 && distance < bestDistance) {
            best = m->temperatureSum / m->temperatureCount;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<std::int64_t> TrecentMinutes::oldestPressure() const {
    for (const Tminute& m : minutes)
        if (m.pressureCount > 0) return m.time;
    return std::nullopt;
}
