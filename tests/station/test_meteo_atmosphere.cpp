#include "station/Atmosphere.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Atmosphere, KnownPoints) {
    EXPECT_NEAR(altitudeFromPressure(1006.0), 58.4, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(58.4), 1006.0, 1e-9);
    EXPECT_NEAR(altitudeFromPressure(1013.25), -0.325, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(0.0), 8207.0 / 8.1, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(500.0), (8710.0 - 500.0) / 8.6, 1e-9);
    EXPECT_NEAR(altitudeFromPressure(300.0), 15458.0 - 300.0 * 21.0, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(9000.0), (15458.0 - 9000.0) / 21.0, 1e-9);
}

TEST(Atmosphere, LowerPressureBoundBelongsToItsSegment) {
    // 945 mbar is the bottom of the second segment: 8710 - 945 x 8.6.
    EXPECT_NEAR(altitudeFromPressure(945.0), 583.0, 1e-9);
    EXPECT_NEAR(altitudeFromPressure(944.999), 9088.0 - 944.999 * 9.0, 1e-9);
    // At 798 mbar the neighbours do not meet: each side keeps its own coefficients.
    EXPECT_NEAR(altitudeFromPressure(798.0), 9787.0 - 798.0 * 9.8, 1e-9);
    EXPECT_NEAR(altitudeFromPressure(797.999), 10266.0 - 797.999 * 10.4, 1e-9);
    EXPECT_NEAR(altitudeFromPressure(349.0), 14620.0 - 349.0 * 18.6, 1e-9);
    EXPECT_NEAR(altitudeFromPressure(348.999), 15458.0 - 348.999 * 21.0, 1e-9);
}

TEST(Atmosphere, UpperAltitudeBoundBelongsToItsSegment) {
    EXPECT_NEAR(pressureFromAltitude(583.0), 945.0, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(583.001), (9088.0 - 583.001) / 9.0, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(1966.6), (9787.0 - 1966.6) / 9.8, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(1966.601), (10266.0 - 1966.601) / 10.4, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(8128.6), (14620.0 - 8128.6) / 18.6, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(8128.601), (15458.0 - 8128.601) / 21.0, 1e-9);
    EXPECT_NEAR(pressureFromAltitude(-1000.0), (8207.0 + 1000.0) / 8.1, 1e-9);
}

// A wrong coefficient anywhere in the table shows up as a jump or a reversal of the curve.
TEST(Atmosphere, CurveIsFallingAndNearlyContinuousAndInvertsItself) {
    double previous = altitudeFromPressure(1100.0);
    for (double p = 1099.99; p > 250.0; p -= 0.01) {
        const double h = altitudeFromPressure(p);
        ASSERT_GT(h, previous) << "at " << p << " mbar";
        ASSERT_LT(h - previous, 2.5) << "jump at " << p << " mbar";
        ASSERT_NEAR(pressureFromAltitude(h), p, 0.25) << "round trip at " << p << " mbar";
        previous = h;
    }
}
