// The units the logger prints in: the exact factors, the decimals of each unit, the --units list.
#include "station/PressureUnits.h"

#include <gtest/gtest.h>

// Expected texts from python3: 1000/33.8639 = 29.530, 1000/1.333224 = 750.062,
// 1013.25/1.333224 = 760.000, 500/0.3048 = 1640.42, -2.54/33.8639 = -0.0750
// (the changes: one decimal more than the values).
TEST(PressureUnits, EachUnitWithItsFactorAndDecimals) {
    TunitChoice units;
    EXPECT_EQ(units.pressureText(1000), "1000.0 hPa");
    EXPECT_EQ(units.temperatureText(20), "20.0 °C");
    EXPECT_EQ(units.altitudeText(500), "500 m");
    const std::tuple<const char*, double, double, const char*, const char*> rows[] = {
        {"inHg", 1000, 29.529971, "29.53 inHg", "-0.075 inHg"},
        {"mmHg", 1000, 750.061505, "750.1 mmHg", "-1.91 mmHg"},
        {"kPa", 1000, 100, "100.00 kPa", "-0.254 kPa"},
        {"mbar", 1000, 1000, "1000.0 hPa", "-2.5 hPa"},
        {"mmHg", 1013.25, 759.99982, "760.0 mmHg", "-1.91 mmHg"}};
    for (const auto& [name, hPa, value, text, change] : rows) {
        ASSERT_TRUE(units.parse(name)) << name;
        EXPECT_NEAR(units.pressure(hPa), value, 1e-5);
        EXPECT_EQ(units.pressureText(hPa), text);
        EXPECT_EQ(units.pressureChangeText(-2.54), change);
    }
    ASSERT_TRUE(units.parse("ft,F"));
    EXPECT_EQ(units.temperatureText(20), "68.0 °F");
    EXPECT_EQ(units.temperatureText(-40), "-40.0 °F");
    EXPECT_EQ(units.altitudeText(500), "1640 ft");
    EXPECT_NEAR(units.altitude(500), 1640.41995, 1e-5);
    for (const char* bad : {"", "inHg,mmHg", "psi", "inHg,", "C,F"})
        EXPECT_FALSE(TunitChoice().parse(bad)) << bad;
}
