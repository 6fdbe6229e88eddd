#pragma once

#include "emulator/SerialModule.h"

// A weather scenario for the emulated module, a pure function of the time elapsed since its start:
//
// - pressure: a front passes again and again. From `base.pressure` the pressure falls by
//   `frontRate` mbar an hour for `frontHours` hours, then rises at the same rate for as long,
//   back to where it started;
// - temperature: a daily cycle of `daySwing` °C either side of `base.temperature`, coldest at
//   03:00 and warmest at 15:00 (the scenario starts at `startHour` o'clock);
// - humidity follows the temperature as moist air does: the water in the air stays what it is at
//   `base.humidity` and `base.temperature`, so the relative humidity falls as the air warms and
//   rises as it cools (held within 1 %..100 %).
//
// The humidity sensor sits beside the pressure sensor and reads the same temperature.
struct TweatherScenario {
    TmoduleConditions base;
    double frontRate = 1.0;  // [mbar/h]
    double frontHours = 6.0; // hours of falling, then as many of rising
    double daySwing = 4.0;   // [°C], half the difference between day and night
    double startHour = 12.0; // time of day at the start [h]

    TmoduleConditions conditionsAt(double elapsedSeconds) const;
    double pressureAt(double hours) const;
    double temperatureAt(double hours) const;
    // Relative humidity [%] of the base air warmed or cooled to `temperature` [°C].
    double humidityAt(double temperature) const;
};
