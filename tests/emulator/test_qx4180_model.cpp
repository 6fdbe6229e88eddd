#include "emulator/Qx4180Model.h"
#include "measurement/Tsensor_wc.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

Tsensor_wc unpack(const Tqx4180Model& model) {
    Tsensor_wc wc;
    wc.W1 = model.word(1);
    wc.W2 = model.word(2);
    wc.W3 = model.word(3);
    wc.W4 = model.word(4);
    wc.computeC();
    return wc;
}

std::vector<Tqx4180Coefficients> calibrations() {
    return {Tqx4180Coefficients{},
            {32767, 4095, 1023, 1023, 2047, 63},
            {16000, 1500, 200, 700, 900, 12},
            {24000, 3000, 600, 100, 1800, 45}};
}

} // namespace

TEST(Qx4180Model, WordsCarryTheCoefficientsInTheirFields) {
    for (const auto& c : calibrations()) {
        const Tsensor_wc wc = unpack(Tqx4180Model(c));
        EXPECT_EQ(wc.C1, c.C1);
        EXPECT_EQ(wc.C2, c.C2);
        EXPECT_EQ(wc.C3, c.C3);
        EXPECT_EQ(wc.C4, c.C4);
        EXPECT_EQ(wc.C5, c.C5);
        EXPECT_EQ(wc.C6, c.C6);
    }
    const Tqx4180Model model;
    EXPECT_EQ(model.word(0), 0);
    EXPECT_EQ(model.word(5), 0);
}

TEST(Qx4180Model, RawValuesCompensateBackAcrossTheWorkingRange) {
    for (const auto& c : calibrations()) {
        const Tqx4180Model model(c);
        const Tsensor_wc wc = unpack(model);
        const double coef[6] = {double(wc.C1), double(wc.C2), double(wc.C3),
                                double(wc.C4), double(wc.C5), double(wc.C6)};
        const double UT1 = 8.0 * c.C5 + 20224;
        int firstOrder = 0, secondOrder = 0;
        for (double p = 300; p <= 1100; p += 12.5) {
            for (double t = -20; t <= 60; t += 0.7) {
                const Tqx4180Raw raw = model.rawFor(p, t);
                (raw.D2 >= UT1 ? firstOrder : secondOrder)++;
                const Tcompensated back = compensate(coef, raw.D1, raw.D2);
                ASSERT_NEAR(back.pressure, p, 0.1) << p << " mbar, " << t << " °C";
                ASSERT_NEAR(back.temperature, t, 0.1) << p << " mbar, " << t << " °C";
            }
        }
        EXPECT_GT(firstOrder, 0);
        EXPECT_GT(secondOrder, 0);
    }
}

TEST(Qx4180Model, ReferencePointAndOutOfRangeValues) {
    const Tqx4180Model zero({0, 0, 0, 0, 0, 0});
    const Tqx4180Raw ref = zero.rawFor(250, 20);
    EXPECT_EQ(ref.D1, 7168);
    EXPECT_EQ(ref.D2, 20224);
    const Tqx4180Raw low = zero.rawFor(-5000, -300);
    EXPECT_EQ(low.D1, 0);
    EXPECT_EQ(low.D2, 0);
    const Tqx4180Raw high = zero.rawFor(50000, 900);
    EXPECT_EQ(high.D1, 0xFFFF);
    EXPECT_EQ(high.D2, 0xFFFF);
}
