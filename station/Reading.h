#pragma once

#include <cstdint>
#include <optional>
#include <string>

// One finished sample of the station, as every output receives it. A value the module did not
// give (no good conversion, no humidity sensor, no module) is absent, never a marker value.
struct Treading {
    std::int64_t time = 0;                  // calendar seconds
    int link = 0;                           // 0 no module, 1 parallel-port module, 2 serial module
    std::optional<double> pressure;         // [mbar]
    std::optional<double> seaLevelPressure; // [mbar], with the pressure
    std::optional<double> altitude;         // [m] above the reference, with the pressure
    std::optional<double> temperature;      // [°C], of the pressure sensor
    std::optional<double> humidity;         // [% RH], only with the humidity sensor
    std::optional<double> humidityTemperature; // [°C] of the humidity sensor, with the humidity
    int weatherClass = 0;                      // 0 none, 1 sunny ... 4 rain
    int trend = 5;                             // 0 quick down ... 4 slow up, 5 none yet
    int D1 = 0, D2 = 0;                        // the raw conversion words

    // The pressure products of a station that keeps a history (the logger); a station without
    // one leaves them absent. The pressure above is the QFE: measured, plus this offset.
    double pressureOffset = 0;                 // [hPa] calibration in force
    std::optional<double> qff;                 // [hPa] reduced with the 12-hour mean temperature
    std::optional<double> tendencyAmount;      // [hPa] pressure now minus 3 hours ago
    std::optional<int> tendencyCharacteristic; // 0 ... 8, the 3-hour curve's shape
    bool stormAlarm = false;                   // a rapid fall over the last 3 hours

    // Pressure and temperature both measured: the module answered this cycle.
    bool measured() const { return pressure && *pressure > 0 && temperature; }
    // The humidity as the data file and the chart take it: a reading of the humidity sensor
    // above 0 and below 999 % RH.
    bool hasHumidity() const { return humidity && *humidity > 0 && *humidity < 999; }
};

// An output of the station: told every reading and the station's events, in the loop thread,
// in the order the sinks were added. It must not block; slow work goes to a thread of its own.
class TreadingSink {
public:
    virtual ~TreadingSink() = default;
    virtual void reading(const Treading& reading) = 0;
    // The module search: started, each port tried and its result, and how it ended.
    virtual void searchStarted() {}
    virtual void portTried(const std::string& /*port*/) {}
    virtual void portResult(bool /*found*/) {}
    virtual void searchEnded(bool /*found*/) {}
    // The module stopped answering (the station searches again), and was found after that.
    virtual void moduleLost() {}
    virtual void moduleFoundAgain() {}
    // The link in use changed: 0 none (a search begins), 1 parallel port, 2 serial.
    virtual void linkChanged(int /*link*/) {}
    // The first valid pressure became the altimeter reference; the extremes start afresh.
    virtual void referenceReset() {}
    // A settings file has been read and applied.
    virtual void settingsReloaded() {}
};
