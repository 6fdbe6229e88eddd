#include "Fakes.h"
#include "PtyBench.h"
#include "PtyTimeLoop.h"
#include "SerialTree.h"
#include "measurement/Tsensor.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const TmoduleConditions Weather{1002.5, 23.0, 61.5, 22.0, true};

struct SensorSerialTest : ::testing::Test {
    TptyTimeLoop loop;
    TcaptureLog log;
    SerialTree tree;
    PtyBench com3{tree, 3, Weather};
    FakeMainView view;
    SystemScope scope{Tsystem{.mainView = &view}};
    Tsensor sensor;
    ReportSink owner;

    void SetUp() override {
        ASSERT_TRUE(com3.pty.isPlugged());
        sensor.reserve(&owner, false);
        loop.idle = [this] { return ptyIdle({&com3.pty}, sensorPort(sensor)); };
    }
    // Runs until the sensor has reported `n` times in all; returns the last code or -1.
    std::int32_t report(std::size_t n, std::int64_t maxVirtualMs = 10'000) {
        if (!loop.pumpUntil([&] { return owner.codes.size() >= n; }, maxVirtualMs)) return -1;
        EXPECT_EQ(owner.codes.size(), n);
        return lastOf(owner.codes);
    }
};

} // namespace

TEST_F(SensorSerialTest, ModuleOnAComPortIsFoundAndMeasuredWithHumidity) {
    sensor.start_searchCOM("COM3");
    EXPECT_TRUE(log.contains("Tsensor : start_searchCOM"));
    EXPECT_TRUE(log.contains("configure(COM3, 38400)"));
    ASSERT_EQ(report(1), SEQUENCE_SUCCESS);
    EXPECT_EQ(loop.now(), 0); // the module answered at once
    EXPECT_EQ(sensor.link, 2);
    EXPECT_EQ(lastOf(view.moduleTexts), "COM module");
    Tsensor_wc module;
    sensor.getModuleCalibration(&module);
    const Tqx4180Model& qx = com3.module.sensor();
    EXPECT_EQ(module.W1, qx.word(1));
    EXPECT_EQ(module.W4, qx.word(4));
    EXPECT_EQ(sensor.coef[0], qx.coefficients().C1);
    EXPECT_EQ(sensor.coef[5], qx.coefficients().C6);

    sensor.setN(3);
    sensor.start_measure();
    ASSERT_EQ(report(2), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.count, 3);
    EXPECT_EQ(sensor.nValid, 3);
    EXPECT_NEAR(sensor.pressure, Weather.pressure, 0.1);
    EXPECT_NEAR(sensor.temperature, Weather.temperature, 0.1);
    EXPECT_NEAR(sensor.humidity, Weather.humidity, 0.5);
    EXPECT_NEAR(sensor.humidityTemperature, Weather.humidityTemp, 0.1);
    // A once, C three times, D once: the humidity is read once per measurement.
    EXPECT_EQ(com3.module.commandsReceived(), 2 + 5);
}

TEST_F(SensorSerialTest, ModuleThatAnswersAOnlyAtTheSecondTryIsFound) {
    com3.module.setFault(TmoduleFault::AckSecondTry);
    sensor.start_searchCOM("COM3");
    ASSERT_EQ(report(1), SEQUENCE_SUCCESS);
    EXPECT_EQ(loop.now(), 1000); // one reply time-out
    EXPECT_EQ(sensor.link, 2);
    // The measurement's A is a first try again: it fails and counts as a failed conversion.
    sensor.setN(2);
    sensor.start_measure();
    ASSERT_EQ(report(2), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.count, 2);
    EXPECT_EQ(sensor.nValid, 1);
    EXPECT_NEAR(sensor.pressure, Weather.pressure, 0.1);
}

TEST_F(SensorSerialTest, SilentModuleIsNotFoundAfterTwoAckTimeouts) {
    com3.module.setFault(TmoduleFault::Silent);
    sensor.setLink(2);
    sensor.start_searchCOM("COM3");
    ASSERT_EQ(report(1), SEQUENCE_ERROR);
    EXPECT_EQ(loop.now(), 2000);
    EXPECT_EQ(com3.module.commandsReceived(), 2); // A twice, never B
    EXPECT_EQ(sensor.link, 0);
    EXPECT_EQ(lastOf(view.moduleTexts), "No module");
}

TEST_F(SensorSerialTest, PortThatCannotBeOpenedFailsAtOnce) {
    sensor.start_searchCOM("COM9");
    ASSERT_EQ(owner.codes, std::vector<std::int32_t>{SEQUENCE_ERROR}); // before any message
    EXPECT_EQ(sensor.getStep(), 0);
    tree.addUart(5, tree.plainFile("not-a-tty"));
    sensor.start_searchCOM("COM5");
    EXPECT_EQ(owner.codes.size(), 2u);
    EXPECT_EQ(lastOf(owner.codes), SEQUENCE_ERROR);
}

TEST_F(SensorSerialTest, FailedHumidityReadingKeepsTheMarkers) {
    sensor.start_searchCOM("COM3");
    ASSERT_EQ(report(1), SEQUENCE_SUCCESS);
    sensor.start_measure();
    ASSERT_TRUE(loop.pumpUntil([&] { return sensor.getStep() == 430; }, 5000));
    com3.module.setFault(TmoduleFault::Silent);
    ASSERT_EQ(report(2), SEQUENCE_SUCCESS);
    EXPECT_NEAR(sensor.pressure, Weather.pressure, 0.1);
    EXPECT_EQ(sensor.humidity, 9999.9);
    EXPECT_EQ(sensor.humidityTemperature, 9999.9);
}

TEST_F(SensorSerialTest, MissingHumiditySensorGivesZeros) {
    TmoduleConditions dry = Weather;
    dry.humiditySensor = false;
    com3.module.setConditions(dry);
    sensor.start_searchCOM("COM3");
    ASSERT_EQ(report(1), SEQUENCE_SUCCESS);
    sensor.start_measure();
    ASSERT_EQ(report(2), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.humidity, 0);
    EXPECT_EQ(sensor.humidityTemperature, 0);
    EXPECT_NEAR(sensor.pressure, Weather.pressure, 0.1);
}

TEST_F(SensorSerialTest, ConnectedWhileIdleRunsTheSerialCheck) {
    sensor.start_searchCOM("COM3");
    ASSERT_EQ(report(1), SEQUENCE_SUCCESS);
    sensor.setLink(0);
    sensor.sscp->configure("COM3", 38400); // the port reopens without a search request
    ASSERT_EQ(report(2), SEQUENCE_SUCCESS);
    EXPECT_EQ(sensor.link, 2);
}

TEST_F(SensorSerialTest, FailedReopenWhileIdleEndsWithAnError) {
    sensor.start_searchCOM("COM3");
    ASSERT_EQ(report(1), SEQUENCE_SUCCESS);
    com3.unplug(); // the reopen that follows finds no device
    ASSERT_EQ(report(2), SEQUENCE_ERROR);
    EXPECT_EQ(sensor.getStep(), 0);
}
