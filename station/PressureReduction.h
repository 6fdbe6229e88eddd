#pragma once

// The reduction of the station pressure (QFE) to sea level with the air temperature (QFF):
// QFF = QFE · exp(h / (29.263 · (T̄ + 273.15))), h the local altitude [m] and T̄ the mean of
// the temperature now and 12 hours earlier [°C]. The QNH (the standard atmosphere's offset,
// whatever the temperature) is the station's sea-level pressure (TstationValues).
class TpressureReduction {
public:
    static constexpr double metresPerKelvin = 29.263; // R / g of dry air
    static constexpr double zeroCelsius = 273.15;     // [K]

    static double qff(double qfe, double altitude, double meanTemperature);
    // The mean of the temperature now and 12 hours earlier, or the temperature now alone.
    static double meanTemperature(double now, const double* twelveHoursEarlier);
};
