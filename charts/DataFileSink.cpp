#include "charts/DataFileSink.h"

#include "measurement/Tsensor.h"

namespace {
// The altitude without a pressure: the bottom of the altimeter's range.
constexpr double NoAltitude = -1000;
} // namespace

void TdataFileSink::reading(const Treading& reading) {
    if ((which == Lines::Measured && !reading.measured()) || !log.logging()) return;
    const bool written = log.write(logSampleOf(reading));
    if (wrote) wrote(written);
}

TlogSample TdataFileSink::logSampleOf(const Treading& r) {
    TlogSample s;
    s.D1 = r.D1;
    s.D2 = r.D2;
    s.pressure = r.pressure.value_or(Tsensor::Invalid);
    s.temperature = r.temperature.value_or(Tsensor::InvalidTemperature);
    s.altitude = r.altitude.value_or(NoAltitude);
    s.humidity = r.humidity.value_or(Tsensor::Invalid);
    s.humidityTemperature = r.humidityTemperature.value_or(Tsensor::Invalid);
    return s;
}
