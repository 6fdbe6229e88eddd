#include "station/PressureProducts.h"

#include "station/PressureReduction.h"

void TpressureProducts::recall(const TreadingHistory& history, std::int64_t now) {
    for (const TpastMinute& minute : history.minutes(now - TrecentMinutes::defaultSpan, now)) {
        recent.recall(minute);
        if (!minute.pressure) continue;
        const auto t = tendency(minute.time, *minute.pressure);
        storm.update(minute.time, t ? std::optional(t->amount) : std::nullopt);
    }
}

std::optional<TpressureTendency> TpressureProducts::tendency(std::int64_t time, double now) const {
    const std::int64_t start = time - tendencySpan;
    const auto oldest = recent.oldestPressure();
    if (!oldest || *oldest > start) return std::nullopt;
    const auto first = recent.pressureAround(start, pointTolerance);
    const auto middle = recent.pressureAround(time - tendencySpan / 2, pointTolerance);
    if (!first || !middle) return std::nullopt;
    return TpressureTendency::of(*first, *middle, now);
}

void TpressureProducts::fill(Treading& r, double altitude) {
    recent.add(r.time, r.pressure, r.temperature);
    if (!r.measured()) {
        r.stormAlarm = storm.raised();
        return;
    }
    const auto earlier = recent.temperatureNear(r.time - twelveHours, temperatureTolerance);
    const double mean =
        TpressureReduction::meanTemperature(*r.temperature, earlier ? &*earlier : nullptr);
    r.qff = TpressureReduction::qff(*r.pressure, altitude, mean);
    const auto t = tendency(r.time, *r.pressure);
    if (t) {
        r.tendencyAmount = t->amount;
        r.tendencyCharacteristic = t->characteristic;
    }
    storm.update(r.time, r.tendencyAmount);
    r.stormAlarm = storm.raised();
}
