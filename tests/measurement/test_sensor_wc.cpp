#include "measurement/Tsensor_wc.h"

#include <gtest/gtest.h>

namespace {

Tsensor_wc fromWords(std::int32_t w1, std::int32_t w2, std::int32_t w3, std::int32_t w4) {
    Tsensor_wc wc;
    wc.W1 = w1;
    wc.W2 = w2;
    wc.W3 = w3;
    wc.W4 = w4;
    wc.computeC();
    return wc;
}

} // namespace

TEST(SensorWc, WordsSurviveTheRoundTripThroughTheCoefficients) {
    for (std::int32_t others : {0x0000, 0xFFFF, 0x5A3C}) {
        for (int index = 0; index < 4; ++index) {
            for (std::int32_t w = 0; w <= 0xFFFF; ++w) {
                std::int32_t words[4] = {others, others, others, others};
                words[index] = w;
                Tsensor_wc wc = fromWords(words[0], words[1], words[2], words[3]);
                wc.W1 = wc.W2 = wc.W3 = wc.W4 = -1;
                wc.computeW();
                ASSERT_EQ(wc.W1, words[0]) << "W" << index + 1 << " = " << w;
                ASSERT_EQ(wc.W2, words[1]) << "W" << index + 1 << " = " << w;
                ASSERT_EQ(wc.W3, words[2]) << "W" << index + 1 << " = " << w;
                ASSERT_EQ(wc.W4, words[3]) << "W" << index + 1 << " = " << w;
            }
        }
    }
}

TEST(SensorWc, CoefficientFieldsOfTheWords) {
    const Tsensor_wc w1 = fromWords(0xFFFF, 0, 0, 0);
    EXPECT_EQ(w1.C1, 0x7FFF);
    EXPECT_EQ(w1.C5, 0x400);
    EXPECT_EQ(w1.C2 | w1.C3 | w1.C4 | w1.C6, 0);

    const Tsensor_wc w3 = fromWords(0, 0, 0xFFC1, 0x0002);
    EXPECT_EQ(w3.C4, 0x3FF);
    EXPECT_EQ(w3.C2, 0x042); // W3 bits 5..0 above W4 bits 5..0

    const Tsensor_wc wide = fromWords(0x1FFFF, 0x10000, 0, 0); // cut to 16 bits first
    EXPECT_EQ(wide.C1, 0x7FFF);
    EXPECT_EQ(wide.C5, 0x400);
    EXPECT_EQ(wide.C6, 0);
}

TEST(SensorWc, ComputeWCutsTheCoefficientsToTheirWidths) {
    Tsensor_wc wc;
    wc.C1 = 0x8001;
    wc.C2 = 0x1041;
    wc.C3 = 0x401;
    wc.C4 = 0x402;
    wc.C5 = 0xC01;
    wc.C6 = 0x41;
    wc.computeW();
    EXPECT_EQ(wc.W1, 0x0003);
    EXPECT_EQ(wc.W2, 0x0041);
    EXPECT_EQ(wc.W3, 0x0081);
    EXPECT_EQ(wc.W4, 0x0041);
    wc.computeC();
    EXPECT_EQ(wc.C1, 1);
    EXPECT_EQ(wc.C2, 0x41);
    EXPECT_EQ(wc.C5, 0x401);
}

TEST(SensorWc, CopyToCopiesAllTenValuesAndIgnoresNull) {
    Tsensor_wc source = fromWords(0x1234, 0x5678, 0x9ABC, 0xDEF0);
    Tsensor_wc target;
    source.copyTo(&target);
    EXPECT_EQ(target.W3, 0x9ABC);
    EXPECT_EQ(target.C1, source.C1);
    EXPECT_EQ(target.C6, source.C6);
    source.copyTo(nullptr);
}

TEST(Compensation, ReferencePointAndBothTemperatureBranches) {
    const double zero[6] = {0, 0, 0, 0, 0, 0};
    const Tcompensated ref = compensate(zero, 7168, 20224);
    EXPECT_DOUBLE_EQ(ref.pressure, 250);
    EXPECT_DOUBLE_EQ(ref.temperature, 20);

    // Below UT1 the offset is bent by t^2/65536 and the temperature gains dT/2560.
    const Tcompensated cold = compensate(zero, 7168, 19224);
    EXPECT_NEAR(cold.temperature, 14.6460962295532, 1e-9);
    EXPECT_NEAR(cold.pressure, 246.034145355225, 1e-9);

    const double typical[6] = {18556, 2280, 390, 400, 1200, 30};
    const Tcompensated warm = compensate(typical, 16000, 32824);
    EXPECT_NEAR(warm.temperature, 43.4375, 1e-9);
    EXPECT_NEAR(warm.pressure, 713.399875640869, 1e-9);

    // D2 exactly at UT1 is first order: 20 °C whatever C6 is.
    EXPECT_DOUBLE_EQ(compensate(typical, 16000, 8 * 1200 + 20224).temperature, 20);
}

TEST(Compensation, RawWordsAreTakenAsUnsigned) {
    const double zero[6] = {0, 0, 0, 0, 0, 0};
    const Tcompensated top = compensate(zero, 0xFFFF, 0xFFFF);
    EXPECT_NEAR(top.pressure, 3162.94921875, 1e-9);
    EXPECT_NEAR(top.temperature, 241.2451171875, 1e-9);
}

TEST(Humidity, ConvertsTheRawWords) {
    const Thumidity at25 = convertHumidity(1500, 6500);
    EXPECT_NEAR(at25.humidity, 50.45, 1e-3);
    EXPECT_NEAR(at25.temperature, 25, 1e-3);
    const Thumidity at45 = convertHumidity(1500, 8500);
    EXPECT_NEAR(at45.humidity, 53.05, 1e-3);
    EXPECT_NEAR(at45.temperature, 45, 1e-3);
}

TEST(Humidity, ClampsToExactlyHundredAndOneTenth) {
    const Thumidity wet = convertHumidity(3500, 6500); // computes 103.45
    EXPECT_EQ(wet.humidity, 100.0);
    EXPECT_NEAR(wet.temperature, 25, 1e-3);
    const Thumidity dry = convertHumidity(20, 6500); // computes -3.19
    EXPECT_EQ(dry.humidity, 0.1);
}

TEST(Humidity, MissingWordsGiveZero) {
    for (auto [rh, t] : {std::pair<int, int>{0, 6500}, {0xFFFF, 6500}, {1500, 0}, {1500, 0xFFFF}}) {
        const Thumidity h =
            convertHumidity(static_cast<std::uint16_t>(rh), static_cast<std::uint16_t>(t));
        EXPECT_EQ(h.humidity, 0) << rh << " " << t;
        EXPECT_EQ(h.temperature, 0) << rh << " " << t;
    }
}
