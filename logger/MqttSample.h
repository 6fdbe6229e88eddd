#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

// One sample as the MQTT publisher sends it. A value the module did not give (no good
// conversion, no humidity sensor) is empty, so it never reaches a message as a marker value.
struct TmqttSample {
    std::time_t time = 0;
    std::optional<double> pressure;            // [mbar]
    std::optional<double> seaLevelPressure;    // [mbar]
    std::optional<double> altitude;            // [m]
    std::optional<double> temperature;         // [°C]
    std::optional<double> humidity;            // [% RH], only with the humidity sensor
    std::optional<double> humidityTemperature; // [°C], only with the humidity sensor
    int weatherClass = 0;                      // 0 none ... 4 rain, 5 snow and rain, 6 snow
    int trend = 2;                             // 0 quick down ... 4 slow up
    std::uint16_t D1 = 0;
    std::uint16_t D2 = 0;
};
