#pragma once

#include <cstdint>

// The calibration of a QX4180: the four factory words W1..W4 and the six coefficients C1..C6
// packed into them.
struct Tsensor_wc {
    std::int32_t W1 = 0, W2 = 0, W3 = 0, W4 = 0;
    std::int32_t C1 = 0, C2 = 0, C3 = 0, C4 = 0, C5 = 0, C6 = 0;

    // C1..C6 from the bit fields of W1..W4.
    void computeC();
    // W1..W4 from C1..C6; computeC afterwards gives back the same C.
    void computeW();
    void copyTo(Tsensor_wc* other) const;
};

struct Tcompensated {
    double pressure;    // [mbar]
    double temperature; // [°C]
};

// Compensates one raw conversion pair with C1..C6 (first order at or above 20 °C, second below).
Tcompensated compensate(const double coef[6], std::uint16_t D1, std::uint16_t D2);

struct Thumidity {
    double humidity;    // [% RH], within [0.1, 100]; 0 for a missing reading
    double temperature; // [°C]; 0 for a missing reading
};

// Converts the SHT15's raw words; a word of 0 or 0xFFFF means no reading.
Thumidity convertHumidity(std::uint16_t SO_RH, std::uint16_t SO_T);
