#include "station/StationValues.h"

#include "measurement/Tsensor.h"
#include "station/Atmosphere.h"

#include <algorithm>

namespace {

// Widens the extremes by a valid value; the first valid value after a reset becomes both.
void widen(double& low, double& high, bool& seen, bool valid, double value) {
    if (!valid) return;
    low = seen ? std::min(low, value) : value;
    high = seen ? std::max(high, value) : value;
    seen = true;
}

} // namespace

bool TstationValues::validPressure(double p) {
    return p > 0 && p < Tsensor::Invalid;
}

bool TstationValues::validAltitude(double a) {
    return a > -1000 && a < 10000;
}

bool TstationValues::validTemperature(double t) {
    return t >= -80 && t < 150;
}

void TstationValues::setLocalAltitude(double h, double pressure) {
    localAltitude = h;
    if (validPressure(pressure)) {
        referencePressure = pressure;
        referenceHeld = true;
    }
    localStandardPressure = pressureFromAltitude(h);
}

void TstationValues::updateSeaLevel(double pressure) {
    seaLevelOffset = 1013.25 - localStandardPressure;
    seaLevelPressure = pressure + seaLevelOffset;
}

void TstationValues::updateAltitude(double pressure) {
    if (!referenceHeld && validPressure(pressure)) {
        referencePressure = pressure;
        referenceHeld = true;
    }
    altimeterOffset = referencePressure - localStandardPressure;
    const double x = std::min(pressure - altimeterOffset, Tsensor::Invalid);
    altitude = std::clamp(altitudeFromPressure(x), -1000.0, 10000.0);
}

bool TstationValues::seaLevelPressureValid(double pressure) const {
    return validPressure(pressure) && validPressure(seaLevelPressure);
}

bool TstationValues::altitudeValid(double pressure) const {
    return validPressure(pressure) && validAltitude(altitude);
}

void TstationValues::updateMinMax(double pressure, double temperature) {
    widen(pressureMin, pressureMax, pressureSeen, seaLevelPressureValid(pressure),
          seaLevelPressure);
    widen(altitudeMin, altitudeMax, altitudeSeen, altitudeValid(pressure), altitude);
    widen(temperatureMin, temperatureMax, temperatureSeen, validTemperature(temperature),
          temperature);
}

void TstationValues::resetMinMax(double pressure, double temperature) {
    pressureSeen = altitudeSeen = temperatureSeen = false;
    updateMinMax(pressure, temperature);
}

void TstationValues::resetReference(double pressure, double temperature) {
    setLocalAltitude(localAltitude, pressure);
    updateAltitude(pressure);
    updateSeaLevel(pressure);
    resetMinMax(pressure, temperature);
}

void TstationValues::update(double pressure, double temperature) {
    updateSeaLevel(pressure);
    updateAltitude(pressure);
    updateMinMax(pressure, temperature);
}

bool TstationValues::changeLocalAltitude(double h, double pressure, double temperature) {
    const double old = localAltitude;
    setLocalAltitude(h, pressure);
    updateAltitude(pressure);
    updateSeaLevel(pressure);
    if (h == old) return false;
    resetMinMax(pressure, temperature);
    return true;
}
