#pragma once

#include <cstdint>

// One sample as the logger wrote it to the data file.
struct TloggedSample {
    std::int64_t time = 0; // calendar seconds
    double pressure = 0;   // mbar
    double seaLevelPressure = 0;
    double altitude = 0;    // m
    double temperature = 0; // °C, of the pressure sensor
    bool hasHumidity = false;
    double humidity = 0;            // % RH, when hasHumidity
    double humidityTemperature = 0; // °C of the humidity sensor, when hasHumidity
    int weatherClass = 0;           // 0 none, 1 sunny ... 4 rain
    int trend = 0;                  // 0 quick down ... 4 slow up, 5 none yet
    int D1 = 0, D2 = 0;
};

// Told of every sample once its line is in the data file (for example a publisher), and of the
// module being lost; the next sample says that it measures again.
class TsampleObserver {
public:
    virtual ~TsampleObserver() = default;
    virtual void sampleWritten(const TloggedSample& sample) = 0;
    virtual void moduleLost() {}
};
