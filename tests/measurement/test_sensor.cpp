#include "Fakes.h"
#include "LptBench.h"
#include "core/VirtualLoop.h"
#include "measurement/Tsensor.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include <string>
#include <vector>

namespace {

const Tqx4180Coefficients Calibration{21000, 2600, 420, 380, 1150, 35};

struct SensorTest : ::testing::Test {
    TvirtualLoop loop;
    TcaptureLog log;
    LptBench lpt{loop, Tqx4180Model(Calibration)};
    FakeMainView view{[this] { return loop.now(); }};
    SystemScope scope{Tsystem{.mainView = &view}};
    Tsensor sensor;
    ReportSink owner;

    void SetUp() override { sensor.reserve(&owner, false); }

    // Runs until the sensor reports; returns its code, or -1 when none came in a minute.
    std::int32_t finish() {
        const std::size_t before = owner.codes.size();
        if (!loop.runUntil([&] { return owner.codes.size() > before; }, 60'000)) return -1;
        EXPECT_EQ(owner.codes.size(), before + 1);
        EXPECT_EQ(lastOf(owner.senders), &sensor);
        return lastOf(owner.codes);
    }
    void findModule() {
        sensor.start_searchLPT();
        ASSERT_EQ(finish(), SEQUENCE_SUCCESS);
    }
};

} // namespace

TEST_F(SensorTest, StartsWithMarkersAndNoModule) {
    EXPECT_EQ(sensor.pressure, 9999.9);
    EXPECT_EQ(sensor.temperature, 9999.9);
    EXPECT_EQ(sensor.humidity, 9999.9);
    EXPECT_EQ(sensor.humidityTemperature, 9999.9);
    EXPECT_EQ(sensor.getN(), 1);
    EXPECT_EQ(sensor.getTS(), 1);
    EXPECT_EQ(sensor.link, 0);
    EXPECT_EQ(view.moduleTexts, std::vector<std::string>{"No module"});
    EXPECT_EQ(sensor.sscp->getOwner(), &sensor);
    EXPECT_EQ(sensor.lpt->getOwner(), &sensor);
}

TEST_F(SensorTest, LinkTextsAndOutOfRangeLinks) {
    sensor.setLink(1);
    sensor.setLink(2);
    sensor.setLink(0);
    sensor.setLink(7);
    EXPECT_EQ(sensor.link, 7);
    EXPECT_EQ(view.moduleTexts,
              (std::vector<std::string>{"No module", "LPT module", "COM module", "No module"}));
    theSystem.mainView = nullptr;
    sensor.setLink(1); // no window: stored only
    EXPECT_EQ(sensor.link, 1);
}

TEST_F(SensorTest, NAndTsAreTruncatedAndTsIsAtLeastOne) {
    sensor.setN(2.9);
    EXPECT_EQ(sensor.getN(), 2);
    sensor.setN(-3.7);
    EXPECT_EQ(sensor.getN(), -3);
    sensor.setTS(0.5);
    EXPECT_EQ(sensor.getTS(), 1);
    sensor.setTS(-20);
    EXPECT_EQ(sensor.getTS(), 1);
    sensor.setTS(7.99);
    EXPECT_EQ(sensor.getTS(), 7);
}

TEST_F(SensorTest, NAndTsBeyondTheIntegerRangeStopAtItsEnds) {
    sensor.setN(1e12);
    EXPECT_EQ(sensor.getN(), INT32_MAX);
    sensor.setN(-1e12);
    EXPECT_EQ(sensor.getN(), INT32_MIN);
    sensor.setN(std::nan(""));
    EXPECT_EQ(sensor.getN(), 0);
    sensor.setTS(1e12);
    EXPECT_EQ(sensor.getTS(), INT32_MAX);
    sensor.setTS(std::nan(""));
    EXPECT_EQ(sensor.getTS(), 1);
}

TEST_F(SensorTest, MeasurementWithoutModuleEndsAtOnceWithMarkers) {
    sensor.pressure = 1000;
    sensor.D1 = 7168; // words of an earlier measurement
    sensor.D2 = 20224;
    sensor.start_measure();
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(loop.now(), 0);
    EXPECT_EQ(sensor.pressure, 9999.9);
    EXPECT_EQ(sensor.temperature, 999.9);
    EXPECT_EQ(sensor.humidity, 9999.9);
    EXPECT_EQ(sensor.humidityTemperature, 9999.9);
    EXPECT_EQ(sensor.getD1(), 0);
    EXPECT_EQ(sensor.getD2(), 0);
}

TEST_F(SensorTest, LptSearchTakesTheModulesCalibration) {
    Tsensor_wc manual;
    manual.C1 = 1;
    sensor.setCalibration(&manual);
    sensor.start_searchLPT();
    EXPECT_TRUE(log.contains("Tsensor : start_searchLPT"));
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.link, 1);
    EXPECT_EQ(lastOf(view.moduleTexts), "LPT module");
    const Tqx4180Model& model = lpt.module.model();
    Tsensor_wc module, inUse;
    sensor.getModuleCalibration(&module);
    sensor.getCalibration(&inUse);
    for (const Tsensor_wc* cal : {&module, &inUse}) {
        EXPECT_EQ(cal->W1, model.word(1));
        EXPECT_EQ(cal->W2, model.word(2));
        EXPECT_EQ(cal->W3, model.word(3));
        EXPECT_EQ(cal->W4, model.word(4));
        EXPECT_EQ(cal->C1, Calibration.C1);
        EXPECT_EQ(cal->C2, Calibration.C2);
        EXPECT_EQ(cal->C5, Calibration.C5);
        EXPECT_EQ(cal->C6, Calibration.C6);
    }
    EXPECT_EQ(sensor.calModule.C1, 0); // the module record keeps only the words
    EXPECT_EQ(sensor.coef[0], Calibration.C1);
    EXPECT_EQ(sensor.coef[3], Calibration.C4);
}

TEST_F(SensorTest, LptSearchWithoutModuleFailsAndLeavesNoLink) {
    for (auto fault : {TlptModuleFault::DoutStuckHigh, TlptModuleFault::DoutStuckLow}) {
        lpt.module.setFault(fault);
        sensor.setLink(1);
        sensor.start_searchLPT();
        EXPECT_EQ(finish(), SEQUENCE_ERROR);
        EXPECT_EQ(sensor.link, 0);
        EXPECT_EQ(lastOf(view.moduleTexts), "No module");
    }
}

TEST_F(SensorTest, LptSamplesFollowTheEmulatedPressure) {
    findModule();
    sensor.setN(3);
    for (auto [p, t] : {std::pair{1013.25, 21.5}, {850.0, -12.0}, {1080.0, 45.0}}) {
        lpt.module.setConditions(p, t);
        sensor.start_measure();
        ASSERT_EQ(finish(), SEQUENCE_SUCCESS);
        EXPECT_NEAR(sensor.pressure, p, 0.1);
        EXPECT_NEAR(sensor.temperature, t, 0.1);
        EXPECT_EQ(sensor.count, 3);
        EXPECT_EQ(sensor.nValid, 3);
        EXPECT_EQ(sensor.humidity, 9999.9); // no humidity sensor on the parallel port
        EXPECT_EQ(sensor.humidityTemperature, 9999.9);
    }
}

TEST_F(SensorTest, AFailedConversionIsCountedButNotAveraged) {
    findModule();
    sensor.setN(4);
    lpt.module.setConditions(1000, 20);
    sensor.start_measure();
    ASSERT_TRUE(loop.runUntil([&] { return sensor.count == 1; }, 5000));
    lpt.module.setFault(TlptModuleFault::EndlessConversion);
    lpt.module.setConditions(1004, 20); // what a stale conversion would bring in
    ASSERT_TRUE(loop.runUntil([&] { return sensor.count == 2; }, 5000));
    lpt.module.setFault(TlptModuleFault::None);
    lpt.module.setConditions(1010, 20);
    ASSERT_TRUE(loop.runUntil([&] { return sensor.count == 3; }, 5000));
    lpt.module.setConditions(1020, 20);
    ASSERT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.count, 4);
    EXPECT_EQ(sensor.nValid, 3);
    EXPECT_NEAR(sensor.pressure, (1000 + 1010 + 1020) / 3.0, 0.1);
    EXPECT_NEAR(sensor.temperature, 20, 0.1);
}

TEST_F(SensorTest, AllConversionsFailedGiveTheMarkers) {
    findModule();
    sensor.setN(4);
    lpt.module.setFault(TlptModuleFault::DoutStuckLow);
    sensor.start_measure();
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.count, 4);
    EXPECT_EQ(sensor.nValid, 0);
    EXPECT_EQ(sensor.pressure, 9999.9);
    EXPECT_EQ(sensor.temperature, 999.9);
}

TEST_F(SensorTest, NBelowOneStillMakesOneConversion) {
    findModule();
    for (double n : {0.0, -5.0}) {
        sensor.setN(n);
        sensor.start_measure();
        ASSERT_EQ(finish(), SEQUENCE_SUCCESS);
        EXPECT_EQ(sensor.count, 1);
        EXPECT_EQ(sensor.nValid, 1);
    }
}

TEST_F(SensorTest, ABusySensorRefusesNewJobs) {
    findModule();
    sensor.setN(2);
    sensor.start_measure();
    loop.runUntilIdle();
    ASSERT_NE(sensor.getStep(), 0);
    sensor.start_measure(); // silently ignored
    sensor.start_searchLPT();
    sensor.start_searchCOM("COM1");
    EXPECT_TRUE(log.contains("ERROR : Tsensor : start_searchLPT()"));
    EXPECT_TRUE(log.contains("ERROR : Tsensor : start_searchCOM()"));
    EXPECT_EQ(finish(), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.count, 2);
    loop.advance(10'000);
    EXPECT_EQ(owner.codes.size(), 2u); // search and one measurement
    EXPECT_EQ(sensor.link, 1);
}

TEST_F(SensorTest, SetCalibrationRefreshesTheCoefficients) {
    Tsensor_wc cal;
    cal.C1 = 100;
    cal.C6 = 7;
    sensor.setCalibration(&cal);
    EXPECT_EQ(sensor.coef[0], 100);
    EXPECT_EQ(sensor.coef[5], 7);
    sensor.calInUse.C2 = 55;
    sensor.setCalibration(nullptr); // no record: only the refresh
    EXPECT_EQ(sensor.coef[1], 55);
    Tsensor_wc out;
    sensor.getCalibration(&out);
    EXPECT_EQ(out.C1, 100);
    sensor.getCalibration(nullptr);
    sensor.getModuleCalibration(nullptr);
}

TEST_F(SensorTest, ZeroCalibrationCompensatesTheReferencePair) {
    findModule();
    Tsensor_wc zero;
    sensor.setCalibration(&zero);
    sensor.D1 = 7168;
    sensor.D2 = 20224;
    const Tcompensated c = compensate(sensor.coef, sensor.D1, sensor.D2);
    EXPECT_DOUBLE_EQ(c.pressure, 250);
    EXPECT_DOUBLE_EQ(c.temperature, 20);
}
