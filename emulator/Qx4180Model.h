#pragma once

#include <array>
#include <cstdint>

// The six calibration coefficients a QX4180 carries from the factory. The defaults describe a
// typical part; every value is cut to its field width when a model is built from it.
struct Tqx4180Coefficients {
    std::int32_t C1 = 18556; // 15 bits
    std::int32_t C2 = 2280;  // 12 bits
    std::int32_t C3 = 390;   // 10 bits
    std::int32_t C4 = 400;   // 10 bits
    std::int32_t C5 = 1200;  // 11 bits
    std::int32_t C6 = 30;    // 6 bits
};

// One raw conversion pair: D1 (pressure) and D2 (temperature).
struct Tqx4180Raw {
    std::uint16_t D1;
    std::uint16_t D2;
};

// The arithmetic of a QX4180: the calibration words it answers with, and the raw conversions it
// produces for a given pressure and temperature (the compensation solved backwards).
class Tqx4180Model {
public:
    Tqx4180Model() : Tqx4180Model(Tqx4180Coefficients{}) {}
    explicit Tqx4180Model(const Tqx4180Coefficients& coefficients);

    // W1..W4 for index 1..4, as the sensor sends them; 0 for any other index.
    std::uint16_t word(int index) const;
    const Tqx4180Coefficients& coefficients() const { return coef; }
    // D1 and D2 whose compensation gives `pressure` [mbar] and `temperature` [°C], to the
    // nearest count; values beyond the 16-bit range are held at 0 or 0xFFFF.
    Tqx4180Raw rawFor(double pressure, double temperature) const;

private:
    Tqx4180Coefficients coef;
    std::array<std::uint16_t, 4> words{};
};
