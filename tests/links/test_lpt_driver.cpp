#include "core/VirtualLoop.h"
#include "emulator/LptModuleEmulator.h"
#include "links/Lpt_mod2740.h"
#include "measurement/Tsensor_wc.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

class Owner : public TeventResource {
public:
    explicit Owner(Tlpt_mod2740& driver) : lpt(driver) {}
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        if (sender == &lpt) reports.push_back(code);
        if (next) std::exchange(next, nullptr)();
    }
    Tlpt_mod2740& lpt;
    std::vector<std::int32_t> reports;
    std::function<void()> next;
};

struct LptWithModule : ::testing::Test {
    TvirtualLoop loop;
    TcaptureLog log;
    TlptModuleEmulator module{[this] { return loop.now(); }};
    Tlpt_mod2740 lpt{&module};
    Owner owner{lpt};
    std::uint16_t w[5] = {0, 0, 0, 0, 0};
    std::uint16_t d1 = 0, d2 = 0;

    void SetUp() override { lpt.reserve(&owner, false); }
    // Runs until the driver has reported (or gives up after a virtual second).
    std::int32_t finish() {
        const std::size_t before = owner.reports.size();
        loop.runUntil([&] { return owner.reports.size() > before; }, 1000);
        return owner.reports.size() > before ? lastOf(owner.reports) : -1;
    }
    Tsensor_wc calibration() {
        lpt.start_resetDevice();
        EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
        lpt.start_getW(w);
        EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
        Tsensor_wc wc;
        wc.W1 = w[1];
        wc.W2 = w[2];
        wc.W3 = w[3];
        wc.W4 = w[4];
        wc.computeC();
        return wc;
    }
};

} // namespace

TEST_F(LptWithModule, ResetThenGetWReturnsTheModulesWords) {
    calibration();
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(w[i], module.model().word(i)) << "W" << i;
    EXPECT_EQ(module.lastCommand(), Tqx4180Command::ConvertD1);
    EXPECT_TRUE(log.contains("Tlpt_mod2740:: start_getW()"));
}

TEST_F(LptWithModule, TrailingD1OfGetWGoesOnlyThroughASetPointer) {
    calibration();
    EXPECT_EQ(d1, 0);
    module.setConditions(1000, 20);
    lpt.start_getD1D2(&d1, &d2);
    ASSERT_EQ(finish(), SEQUENCE_SUCCESS);
    const std::uint16_t d2Before = d2;
    module.setConditions(500, 20);
    lpt.start_getW(w);
    ASSERT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(d1, module.model().rawFor(500, 20).D1);
    EXPECT_EQ(d2, d2Before);
}

TEST_F(LptWithModule, ConversionsCompensateToTheEmulatedConditions) {
    const Tsensor_wc wc = calibration();
    const double coef[6] = {double(wc.C1), double(wc.C2), double(wc.C3),
                            double(wc.C4), double(wc.C5), double(wc.C6)};
    const double UT1 = 8.0 * wc.C5 + 20224;
    int below = 0, above = 0;
    for (double p = 300; p <= 1100; p += 50) {
        for (double t = -20; t <= 60; t += 5) {
            module.setConditions(p, t);
            lpt.start_getD1D2(&d1, &d2);
            ASSERT_EQ(finish(), SEQUENCE_SUCCESS) << p << " mbar " << t << " °C";
            (d2 < UT1 ? below : above)++;
            const Tcompensated back = compensate(coef, d1, d2);
            EXPECT_NEAR(back.pressure, p, 0.1) << t << " °C";
            EXPECT_NEAR(back.temperature, t, 0.1) << p << " mbar";
        }
    }
    EXPECT_GT(below, 0);
    EXPECT_GT(above, 0);
}

TEST_F(LptWithModule, ConversionPairTakesTwoWaits) {
    const std::int64_t start = loop.now();
    lpt.start_getD1D2(&d1, &d2);
    ASSERT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(loop.now() - start, 2 * Tlpt_mod2740::ConversionWaitMs);
}

TEST_F(LptWithModule, StartWhileBusyIsRefusedAndTheRunningJobCompletes) {
    lpt.start_resetDevice();
    lpt.start_getD1D2(&d1, &d2); // accepted reset not delivered yet: already busy
    EXPECT_TRUE(log.contains("ERROR Tlpt_mod2740:: start_getD1D2() failed !"));
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    loop.advance(200);
    EXPECT_EQ(owner.reports, std::vector<std::int32_t>{SEQUENCE_SUCCESS});
    EXPECT_EQ(d1, 0);

    module.setConditions(900, 10);
    lpt.start_getD1D2(&d1, &d2);
    loop.runUntilIdle();
    ASSERT_EQ(lpt.getStep(), 300);
    lpt.start_resetDevice();
    lpt.start_getW(w);
    EXPECT_TRUE(log.contains("ERROR Tlpt_mod2740:: start_resetDevice() failed !"));
    EXPECT_TRUE(log.contains("ERROR Tlpt_mod2740:: start_getW() failed !"));
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    loop.advance(200);
    EXPECT_EQ(owner.reports.size(), 2u);
    EXPECT_EQ(d1, module.model().rawFor(900, 10).D1);
    EXPECT_EQ(w[1], 0);
}

TEST_F(LptWithModule, OwnerMayStartTheNextJobFromTheReport) {
    owner.next = [this] { lpt.start_getD1D2(&d1, &d2); };
    lpt.start_resetDevice();
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_NE(d1, 0);
    EXPECT_FALSE(log.contains("ERROR Tlpt_mod2740:: start_getD1D2() failed !"));
}

TEST_F(LptWithModule, NoModuleEndsGetWAndConversionsInError) {
    for (auto fault : {TlptModuleFault::DoutStuckHigh, TlptModuleFault::DoutStuckLow}) {
        module.setFault(fault);
        lpt.start_resetDevice();
        EXPECT_EQ(finish(), SEQUENCE_SUCCESS); // a reset cannot tell
        lpt.start_getW(w);
        EXPECT_EQ(finish(), SEQUENCE_ERROR);
        const std::uint16_t seen = fault == TlptModuleFault::DoutStuckHigh ? 0xFFFF : 0;
        EXPECT_EQ(w[1], seen);
        EXPECT_EQ(w[4], seen);
        lpt.start_getD1D2(&d1, &d2);
        EXPECT_EQ(finish(), SEQUENCE_ERROR);
    }
}

TEST_F(LptWithModule, ConversionThatNeverEndsOrEndsTooLateFails) {
    module.setFault(TlptModuleFault::EndlessConversion);
    lpt.start_getD1D2(&d1, &d2);
    EXPECT_EQ(finish(), SEQUENCE_ERROR);
    module.setFault(TlptModuleFault::None);
    module.setConversionTime(Tlpt_mod2740::ConversionWaitMs + 1);
    lpt.start_resetDevice();
    finish();
    lpt.start_getD1D2(&d1, &d2);
    EXPECT_EQ(finish(), SEQUENCE_ERROR);
    module.setConversionTime(Tlpt_mod2740::ConversionWaitMs);
    lpt.start_resetDevice();
    finish();
    lpt.start_getD1D2(&d1, &d2);
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
}

TEST_F(LptWithModule, GlitchInTheD2CommandKeepsD1AndTheNextResetRecovers) {
    module.setConditions(1013, 22);
    // D1 takes 12 command edges and 16 read edges; edge 30 is the second bit of the D2 command.
    module.glitchAtEdge(30);
    lpt.start_getD1D2(&d1, &d2);
    EXPECT_EQ(finish(), SEQUENCE_ERROR);
    EXPECT_EQ(d1, module.model().rawFor(1013, 22).D1);
    EXPECT_EQ(d2, 0);
    lpt.start_resetDevice();
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    lpt.start_getD1D2(&d1, &d2);
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(d2, module.model().rawFor(1013, 22).D2);
}
