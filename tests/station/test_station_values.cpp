// The station's derived values without any window: sea-level pressure, altimeter reference and
// altitude, extremes.
#include "measurement/Tsensor.h"
#include "station/Atmosphere.h"
#include "station/StationValues.h"

#include <gtest/gtest.h>

TEST(StationValues, TheReferenceOutlivesALostModuleAndMarkersStayOutOfTheExtremes) {
    TstationValues v;
    v.changeLocalAltitude(500, Tsensor::Invalid, Tsensor::InvalidTemperature);
    EXPECT_FALSE(v.referenceHeld);
    v.update(950, 20); // the first valid pressure becomes the reference
    EXPECT_EQ(v.referencePressure, 950);
    EXPECT_NEAR(v.altitude, 500, 1e-9);
    EXPECT_NEAR(v.seaLevelPressure, 950 + 1013.25 - pressureFromAltitude(500), 1e-9);
    v.update(940, 25);
    v.resetReference(Tsensor::Invalid, Tsensor::InvalidTemperature); // lost: reference held
    EXPECT_EQ(v.referencePressure, 950);
    EXPECT_EQ(v.altitude, -1000);
    EXPECT_FALSE(v.altitudeValid(Tsensor::Invalid));
    v.update(940, 25);
    EXPECT_EQ(v.altitudeMin, v.altitude);
    EXPECT_EQ(v.altitudeMax, v.altitude);
    EXPECT_EQ(v.temperatureMin, 25);
    EXPECT_NEAR(v.altitude, altitudeFromPressure(pressureFromAltitude(500) - 10), 1e-9);
    EXPECT_FALSE(v.changeLocalAltitude(500, 940, 25));
    EXPECT_TRUE(v.changeLocalAltitude(600, 940, 25)); // the reference is now 940
    EXPECT_NEAR(v.altitude, 600, 1e-9);
    EXPECT_EQ(v.altitudeMin, v.altitude);
}
