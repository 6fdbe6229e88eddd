#include "station/StormAlarm.h"

bool TstormAlarm::update(std::int64_t time, std::optional<double> amount) {
    if (!amount) return false;
    const double fallNow = -*amount;
    if (!on) {
        if (fallNow < drop) return false;
        on = true;
        lastFall = fallNow;
        calmSince.reset();
        return true;
    }
    lastFall = fallNow;
    if (fallNow >= drop - hysteresis) {
        calmSince.reset();
        return false;
    }
    if (!calmSince) calmSince = time;
    if (time - *calmSince < clearAfter) return false;
    on = false;
    calmSince.reset();
    return true;
}
