#include "emulator/WeatherScenario.h"

#include <gtest/gtest.h>

namespace {

constexpr double Hour = 3600.0;

TweatherScenario scenario() {
    TweatherScenario s;
    s.base = {1010.0, 20.0, 50.0, 20.0, true};
    s.startHour = 15.0; // the warmest hour
    return s;
}

TEST(WeatherScenario, PressureFallsOneMbarAnHourThenRisesBack) {
    const TweatherScenario s = scenario();
    EXPECT_DOUBLE_EQ(s.conditionsAt(0).pressure, 1010.0);
    EXPECT_NEAR(s.conditionsAt(1 * Hour).pressure, 1009.0, 1e-9);
    EXPECT_NEAR(s.conditionsAt(2.5 * Hour).pressure - s.conditionsAt(1.5 * Hour).pressure, -1.0,
                1e-9);
    EXPECT_NEAR(s.conditionsAt(6 * Hour).pressure, 1004.0, 1e-9); // bottom of the front
    EXPECT_NEAR(s.conditionsAt(9 * Hour).pressure - s.conditionsAt(8 * Hour).pressure, 1.0, 1e-9);
    EXPECT_NEAR(s.conditionsAt(12 * Hour).pressure, 1010.0, 1e-9);
    // The next front follows.
    EXPECT_NEAR(s.conditionsAt(15 * Hour).pressure, s.conditionsAt(3 * Hour).pressure, 1e-9);
}

TEST(WeatherScenario, FrontRateAndLengthAreParameters) {
    TweatherScenario s = scenario();
    s.frontRate = 0.5;
    s.frontHours = 10;
    EXPECT_NEAR(s.conditionsAt(10 * Hour).pressure, 1005.0, 1e-9);
    EXPECT_NEAR(s.conditionsAt(14 * Hour).pressure, 1007.0, 1e-9);
    s.frontHours = 0; // no front at all
    EXPECT_DOUBLE_EQ(s.conditionsAt(5 * Hour).pressure, 1010.0);
}

TEST(WeatherScenario, TemperatureFollowsTheDay) {
    TweatherScenario s = scenario();
    EXPECT_NEAR(s.conditionsAt(0).temperature, 24.0, 1e-9);         // 15:00
    EXPECT_NEAR(s.conditionsAt(6 * Hour).temperature, 20.0, 1e-9);  // 21:00
    EXPECT_NEAR(s.conditionsAt(12 * Hour).temperature, 16.0, 1e-9); // 03:00
    EXPECT_NEAR(s.conditionsAt(24 * Hour).temperature, 24.0, 1e-9); // the next day
    s.startHour = 3.0;
    EXPECT_NEAR(s.conditionsAt(0).temperature, 16.0, 1e-9);
    EXPECT_LT(s.conditionsAt(1 * Hour).temperature, s.conditionsAt(2 * Hour).temperature);
    const TmoduleConditions c = s.conditionsAt(5 * Hour);
    EXPECT_EQ(c.humidityTemp, c.temperature);
    EXPECT_TRUE(c.humiditySensor);
}

TEST(WeatherScenario, HumidityFallsAsTheAirWarmsAndRisesAsItCools) {
    TweatherScenario s = scenario();
    EXPECT_NEAR(s.humidityAt(20.0), 50.0, 1e-9);
    // Saturation vapour pressure 23.4 hPa at 20 °C, 29.8 at 24 °C, 12.3 at 10 °C.
    EXPECT_NEAR(s.humidityAt(24.0), 39.2, 0.3);
    EXPECT_NEAR(s.humidityAt(10.0), 95.2, 0.5);
    EXPECT_NEAR(s.conditionsAt(0).humidity, s.humidityAt(24.0), 1e-9);
    EXPECT_GT(s.conditionsAt(12 * Hour).humidity, s.conditionsAt(6 * Hour).humidity);
    s.base.humidity = 90.0;
    EXPECT_EQ(s.humidityAt(5.0), 100.0); // fog: held at saturation
    EXPECT_EQ(s.conditionsAt(-Hour).pressure, s.conditionsAt(0).pressure);
}

} // namespace
