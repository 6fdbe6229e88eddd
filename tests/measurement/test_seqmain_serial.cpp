#include "Fakes.h"
#include "LptBench.h"
#include "PtyBench.h"
#include "PtyTimeLoop.h"
#include "SerialTree.h"
#include "measurement/Seqmain.h"
#include "measurement/Tsensor.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"
#include "support/StationRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
const TmoduleConditions Weather{995.0, 17.5, 48.0, 16.0, true};

struct Coms {
    PtyBench com1, com2, com3;
    explicit Coms(SerialTree& tree)
        : com1{tree, 1}, com2{tree, 2, {}, false}, com3{tree, 3, Weather} {}
};

// No module on LPT1; COM1 present with a module that never answers, COM2 a device that is not
// present, COM3 present with a working module.
struct SeqMainSerialTest : StationRig<FakeMainView, FakeIntro, TptyTimeLoop, Coms> {
    TcaptureLog log;
    PtyBench& com1 = ports.com1;
    PtyBench& com2 = ports.com2;
    PtyBench& com3 = ports.com3;

    void SetUp() override {
        lpt.module.setFault(TlptModuleFault::DoutStuckHigh);
        com1.module.setFault(TmoduleFault::Silent);
        loop.idle = [this] {
            return ptyIdle({&com1.pty, &com2.pty, &com3.pty}, sensorPort(sensor));
        };
    }
    bool reach(std::int32_t step) {
        return loop.pumpUntil([&] { return seq.getStep() == step; }, 60'000);
    }
};

} // namespace

TEST_F(SeqMainSerialTest, ModuleOnCom3IsFoundAfterLpt1AndCom1) {
    seq.start();
    ASSERT_TRUE(samples(2));
    EXPECT_EQ(intro.calls, (Calls{"show", "LPT1", "NOT FOUND", "COM1", "NOT FOUND", "COM3", "FOUND",
                                  "close found"}));
    EXPECT_EQ(com2.module.commandsReceived(), 0);
    EXPECT_FALSE(log.contains("configure(COM2, 38400)"));
    EXPECT_EQ(com1.module.commandsReceived(), 2); // two chances for A
    EXPECT_EQ(sensor.link, 2);
    EXPECT_EQ(lastOf(view.moduleTexts), "COM module");
    for (const auto& s : view.samples) {
        EXPECT_EQ(s.link, 2);
        EXPECT_NEAR(s.pressure, Weather.pressure, 0.1);
        EXPECT_NEAR(s.humidity, Weather.humidity, 0.5);
        EXPECT_NEAR(s.humidityTemperature, Weather.humidityTemp, 0.1);
    }
    EXPECT_EQ(view.resetAt, std::vector<std::size_t>{0});
}

TEST_F(SeqMainSerialTest, TsChangedWhileAPortIsSearchedLeavesTheSearchRunning) {
    seq.start();
    ASSERT_TRUE(reach(220));
    EXPECT_STREQ(seq.portName, "COM1");
    sensor.setTS(3);
    ASSERT_TRUE(samples(2));
    EXPECT_EQ(lastOf(intro.calls), "close found");
    EXPECT_EQ(view.samples[1].at - view.samples[0].at, 3000); // replies take no virtual time
}

TEST_F(SeqMainSerialTest, CancelIsHonouredWhileAPortIsSearched) {
    for (std::int32_t step : {210, 220}) {
        TseqMAIN other; // a fresh sequence for each step, on the same sensor
        theSystem.seqMain = &other;
        other.attach({&sensor, &intro, &view, &settings, &app});
        sensor.release(&seq);
        other.start();
        ASSERT_TRUE(loop.pumpUntil([&] { return other.getStep() == step; }, 60'000));
        other.OnNotification(&other, CANCEL_REQUEST);
        EXPECT_EQ(other.getStep(), 0);
        EXPECT_EQ(sensor.getOwner(), nullptr);
        loop.settle();
        loop.pumpUntil([&] { return sensor.getStep() == 0; }, 10'000);
    }
    EXPECT_EQ(app.quits, 2);
}

TEST_F(SeqMainSerialTest, CancelIsDroppedInTheNotFoundPause) {
    seq.start();
    ASSERT_TRUE(reach(230));
    seq.OnNotification(&seq, CANCEL_REQUEST);
    EXPECT_EQ(seq.getStep(), 230);
    ASSERT_TRUE(samples(1));
    EXPECT_EQ(app.quits, 0);
}

TEST_F(SeqMainSerialTest, AReportOfTheSensorOutsideTheSearchIsIgnored) {
    seq.start();
    ASSERT_TRUE(samples(1));
    ASSERT_TRUE(reach(510));
    com3.unplug(); // the sensor reports a failed reopen while the sequence waits
    loop.settle();
    EXPECT_EQ(seq.getStep(), 510);
    ASSERT_TRUE(samples(3));
    EXPECT_EQ(lastOf(view.samples).pressure, 9999.9); // the module is gone
}

// Every search opens the ports again: the one that answered last time must open at once, for an
// ordinary user as well, once the search before has closed it.
TEST_F(SeqMainSerialTest, DetectingTwiceInARowFindsTheModuleEachTime) {
    seq.start();
    ASSERT_TRUE(samples(1));
    for (int loads = 2; loads <= 3; ++loads) {
        ASSERT_TRUE(reach(510));
        const std::size_t shown = view.samples.size();
        seq.restart();
        ASSERT_TRUE(loop.pumpUntil(
            [&] { return settings.loads == loads && view.samples.size() > shown; }, 60'000));
    }
    const Calls search{"show",      "LPT1", "NOT FOUND", "COM1",
                       "NOT FOUND", "COM3", "FOUND",     "close found"};
    Calls threeSearches;
    for (int i = 0; i < 3; ++i)
        threeSearches.insert(threeSearches.end(), search.begin(), search.end());
    EXPECT_EQ(intro.calls, threeSearches);
    EXPECT_EQ(sensor.link, 2);
    EXPECT_NEAR(lastOf(view.samples).pressure, Weather.pressure, 0.1);
}
