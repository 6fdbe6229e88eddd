#include "emulator/Sht15Model.h"
#include "measurement/Tsensor_wc.h"

#include <gtest/gtest.h>

TEST(Sht15Model, RawWordsConvertBackToHumidityAndTemperature) {
    for (double t = -20; t <= 60; t += 2.5) {
        for (double rh = 1; rh <= 99; rh += 3.5) {
            const Tsht15Raw raw = Tsht15Model::rawFor(rh, t);
            const Thumidity back = convertHumidity(raw.SO_RH, raw.SO_T);
            ASSERT_NEAR(back.humidity, rh, 0.1) << rh << " %, " << t << " °C";
            ASSERT_NEAR(back.temperature, t, 0.01) << rh << " %, " << t << " °C";
        }
    }
}

TEST(Sht15Model, WordsNeverTakeTheNoReadingValues) {
    const Tsht15Raw dry = Tsht15Model::rawFor(-10, -60);
    EXPECT_NE(dry.SO_RH, 0);
    EXPECT_NE(dry.SO_T, 0);
    const Tsht15Raw wet = Tsht15Model::rawFor(150, 900);
    EXPECT_NE(wet.SO_RH, 0xFFFF);
    EXPECT_NE(wet.SO_T, 0xFFFF);
    EXPECT_NEAR(convertHumidity(Tsht15Model::rawFor(100, 25).SO_RH, 2500 + 4000).humidity, 100,
                0.1);
}
