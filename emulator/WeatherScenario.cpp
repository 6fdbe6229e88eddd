#include "emulator/WeatherScenario.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double WarmestHour = 15.0;

// Saturation vapour pressure over water [hPa] (Magnus formula).
double saturation(double temperature) {
    return 6.112 * std::exp(17.62 * temperature / (243.12 + temperature));
}

} // namespace

TmoduleConditions TweatherScenario::conditionsAt(double elapsedSeconds) const {
    const double hours = std::max(elapsedSeconds, 0.0) / 3600.0;
    TmoduleConditions now = base;
    now.pressure = pressureAt(hours);
    now.temperature = temperatureAt(hours);
    now.humidityTemp = now.temperature;
    now.humidity = humidityAt(now.temperature);
    return now;
}

double TweatherScenario::pressureAt(double hours) const {
    if (frontHours <= 0) return base.pressure;
    const double phase = std::fmod(hours, 2 * frontHours);
    const double fallen = phase <= frontHours ? phase : 2 * frontHours - phase;
    return base.pressure - frontRate * fallen;
}

double TweatherScenario::temperatureAt(double hours) const {
    const double hourOfDay = startHour + hours;
    return base.temperature + daySwing * std::cos(2 * Pi * (hourOfDay - WarmestHour) / 24.0);
}

double TweatherScenario::humidityAt(double temperature) const {
    const double vapour = base.humidity / 100.0 * saturation(base.temperature);
    return std::clamp(100.0 * vapour / saturation(temperature), 1.0, 100.0);
}
