#pragma once

#include "station/Reading.h"

#include <cstdint>

// A reading with every quantity the station can give, at the given time.
inline Treading fullReading(std::int64_t time) {
    Treading r;
    r.time = time;
    r.link = 2;
    r.pressure = 1001.25;
    r.seaLevelPressure = 1014.5;
    r.altitude = 98.5;
    r.temperature = 20.5;
    r.humidity = 55.0;
    r.humidityTemperature = 20.25;
    r.weatherClass = 1;
    r.trend = 2;
    r.qff = 1013.75;
    r.tendencyAmount = -3.5;
    r.tendencyCharacteristic = 7;
    r.stormAlarm = true;
    return r;
}
