#pragma once

#include <string>

// The units the logger shows its values in (stored and published values stay in hPa, °C, m):
// pressure in hPa (= mbar), inHg, mmHg or kPa, temperature in °C or °F, altitude in m or ft, each
// with its own number of decimals.
class TunitChoice {
public:
    enum class Pressure { hPa, inHg, mmHg, kPa };
    enum class Temperature { C, F };
    enum class Altitude { m, ft };

    static constexpr double hPaPerInHg = 33.8639;
    static constexpr double hPaPerMmHg = 1.333224;
    static constexpr double metresPerFoot = 0.3048;

    // "inHg,F,ft": a comma-separated list of unit names, each replacing the default of its
    // quantity (hPa or mbar, inHg, mmHg, kPa; C or F; m or ft; case as written here). False for
    // an unknown name, a quantity named twice or an empty list.
    bool parse(const std::string& list);

    double pressure(double hPa) const;
    double temperature(double celsius) const;
    double altitude(double metres) const;
    // A value with its decimals and unit: "29.92 inHg", "1013.3 hPa" style. A pressure
    // difference (a tendency, a fall) has one more decimal in hPa.
    std::string pressureText(double hPa) const;
    std::string pressureChangeText(double hPa) const;
    std::string temperatureText(double celsius) const;
    std::string altitudeText(double metres) const;
    const char* pressureUnit() const;
    int pressureDecimals() const;

    Pressure pressureUnitChosen = Pressure::hPa;
    Temperature temperatureUnitChosen = Temperature::C;
    Altitude altitudeUnitChosen = Altitude::m;
};
