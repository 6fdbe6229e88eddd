#pragma once

#include <cstdint>

// The raw words of the SHT15 humidity sensor: relative humidity and temperature.
struct Tsht15Raw {
    std::uint16_t SO_RH;
    std::uint16_t SO_T;
};

// The SHT15's side of the humidity conversion: the raw words that read back as a given relative
// humidity [%] and temperature [°C].
class Tsht15Model {
public:
    // Humidity is held within what the sensor can report (0.1 % to 100 %); the words never take
    // the values 0 and 0xFFFF, which mean "no reading".
    static Tsht15Raw rawFor(double humidity, double temperature);
};
