#pragma once

// The values the station derives from the measured pressure and temperature: the sea-level
// pressure, the altimeter reference and the altitude above it, and the extremes since the last
// reset. Pure arithmetic: a pressure or temperature the module did not give is passed as the
// sensor's marker (Tsensor::Invalid, Tsensor::InvalidTemperature) and is never valid.
class TstationValues {
public:
    static bool validPressure(double p);
    static bool validAltitude(double a);
    static bool validTemperature(double t);

    // The local altitude [m]; a valid pressure now becomes the altimeter reference. Without one
    // (no module, unplugged) the reference held goes on, so that a module found again goes on
    // from where it was.
    void setLocalAltitude(double h, double pressure);
    // The sea-level pressure: the pressure plus the difference to sea level at the local altitude.
    void updateSeaLevel(double pressure);
    // The altitude above the reference, held to -1000 .. 10000 m; the first valid pressure
    // becomes the reference when none is held yet.
    void updateAltitude(double pressure);
    bool seaLevelPressureValid(double pressure) const;
    bool altitudeValid(double pressure) const;
    // Only valid values enter the extremes; the first one after a reset becomes both ends.
    void updateMinMax(double pressure, double temperature);
    void resetMinMax(double pressure, double temperature);

    // The first valid sample: the reference becomes its pressure, the extremes start afresh.
    void resetReference(double pressure, double temperature);
    // Every sample: sea-level pressure, altitude and extremes.
    void update(double pressure, double temperature);
    // A local altitude from the settings; true when it changed, and then the extremes start
    // afresh.
    bool changeLocalAltitude(double h, double pressure, double temperature);

    double localAltitude = 0;
    double referencePressure = 0;
    double localStandardPressure = 0;
    double seaLevelOffset = 0;
    double seaLevelPressure = 0;
    double altimeterOffset = 0;
    double altitude = 0;
    double pressureMin = 0, pressureMax = 0;
    double altitudeMin = 0, altitudeMax = 0;
    double temperatureMin = 0, temperatureMax = 0;
    // Whether a valid value has entered each pair of extremes since the last reset.
    bool pressureSeen = false, altitudeSeen = false, temperatureSeen = false;
    // A valid pressure has become the altimeter reference; until then the next valid one does.
    bool referenceHeld = false;
};
