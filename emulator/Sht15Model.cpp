#include "emulator/Sht15Model.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Quad = -2.8e-6;  // RH per count squared
constexpr double Lin = 0.0405;    // RH per count
constexpr double TempLin = 8e-5;  // temperature correction per count and degree
constexpr double TempBase = 0.01; // temperature correction per degree

std::uint16_t toWord(double value) {
    return static_cast<std::uint16_t>(std::lround(std::clamp(value, 1.0, 65534.0)));
}

} // namespace

Tsht15Raw Tsht15Model::rawFor(double humidity, double temperature) {
    const std::uint16_t SO_T = toWord((temperature + 40) / 0.01);
    const double dt = 0.01 * SO_T - 40 - 25;
    // RH(x) = Quad x^2 + (Lin + TempLin dt) x + (TempBase dt - 4): take the root on the rising
    // side of the parabola; a humidity above its top is held at the top.
    const double b = Lin + TempLin * dt;
    const double c = TempBase * dt - 4 - std::clamp(humidity, 0.1, 100.0);
    const double disc = std::max(b * b - 4 * Quad * c, 0.0);
    const double x = (-b + std::sqrt(disc)) / (2 * Quad);
    return {toWord(x), SO_T};
}
