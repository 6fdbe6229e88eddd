// The serial module misbehaving under the real sensor and main sequence: the module is the
// emulator on a pty, published in the emulated COM range as the standalone emulator does it.
#include "Fakes.h"
#include "LptBench.h"
#include "PtyTimeLoop.h"
#include "SerialTree.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "measurement/Seqmain.h"
#include "measurement/Tsensor.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"
#include "support/StationRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
const TmoduleConditions Weather{1004.5, 14.0, 72.0, 13.5, true};
constexpr int Com = 241;

// The module on a pty, published as COM241.
struct FaultPort {
    TportPublisher publisher{serialRoots().emulated};
    TserialModule module{Tqx4180Model(Tqx4180Coefficients{20100, 2350, 420, 380, 1150, 33})};
    TptyModule pty{module, &publisher};
    explicit FaultPort(SerialTree&) {}
};

struct FaultTest : StationRig<FakeMainView, FakeIntro, TptyTimeLoop, FaultPort> {
    TcaptureLog log;
    TportPublisher& publisher = ports.publisher;
    TserialModule& module = ports.module;
    TptyModule& pty = ports.pty;

    void SetUp() override {
        lpt.module.setFault(TlptModuleFault::DoutStuckHigh); // nothing on LPT1
        module.setConditions(Weather);
        ASSERT_EQ(publisher.claim(Com), Com);
        ASSERT_TRUE(pty.plug());
        loop.idle = [this] { return ptyIdle({&pty}, sensorPort(sensor)); };
    }
    // Starts the sequence and waits for the first sample of a found module.
    void foundAndMeasuring() {
        seq.start();
        ASSERT_TRUE(samples(1));
        ASSERT_EQ(intro.calls,
                  (Calls{"show", "LPT1", "NOT FOUND", "COM241", "FOUND", "close found"}));
        expectMeasured(lastOf(view.samples));
    }
    static void expectMeasured(const FakeMainView::Sample& s) {
        EXPECT_EQ(s.link, 2);
        EXPECT_NEAR(s.pressure, Weather.pressure, 0.1);
        EXPECT_NEAR(s.temperature, Weather.temperature, 0.1);
        EXPECT_NEAR(s.humidity, Weather.humidity, 0.5);
        EXPECT_NEAR(s.humidityTemperature, Weather.humidityTemp, 0.1);
    }
    static void expectMarkers(const FakeMainView::Sample& s) {
        EXPECT_EQ(s.pressure, Tsensor::Invalid);
        EXPECT_EQ(s.temperature, Tsensor::InvalidTemperature);
        EXPECT_EQ(s.humidity, Tsensor::Invalid);
        EXPECT_EQ(s.humidityTemperature, Tsensor::Invalid);
    }
    // Unplugged while the sequence waits for its next measurement, and plugged back once
    // `cyclesAway` measurements have found the port gone (0: back before the next one).
    // Returns the time of the plug.
    std::int64_t unplugFor(std::size_t cyclesAway) {
        EXPECT_TRUE(loop.pumpUntil([&] { return seq.getStep() == 510; }, 60'000));
        pty.unplug();
        loop.settle(); // the port's end is seen, its one reopen at once fails
        EXPECT_TRUE(samples(view.samples.size() + cyclesAway));
        EXPECT_TRUE(pty.plug());
        return loop.now();
    }
    // Pulls the module out while the first conversion of a measurement waits for its reply. The
    // module works on that conversion until the unplug ends it, so no reply can be on its way
    // (or already read ahead) when the port goes.
    void unplugDuringFirstConversion() {
        module.setTiming({60'000'000, 0});
        ASSERT_TRUE(
            loop.pumpUntil([&] { return sensor.getStep() == 410 && sensor.count == 0; }, 60'000));
        pty.unplug();
        module.setTiming({});
    }
    std::size_t logged(const std::string& line) const {
        return static_cast<std::size_t>(std::count(log.lines.begin(), log.lines.end(), line));
    }
    // A new search from the menu; returns the intro's calls of that search.
    Calls detectModule() {
        const std::size_t before = intro.calls.size();
        const std::size_t shown = view.samples.size();
        seq.restart();
        EXPECT_TRUE(samples(shown + 1));
        return Calls(intro.calls.begin() + static_cast<long>(before), intro.calls.end());
    }
};

TEST_F(FaultTest, UnplugDuringAMeasurementGivesMarkersThenDetectModuleFindsItAgain) {
    sensor.setN(4);
    foundAndMeasuring();
    unplugDuringFirstConversion();
    ASSERT_TRUE(samples(2));
    expectMarkers(view.samples[1]);
    EXPECT_EQ(sensor.count, 4);
    EXPECT_EQ(sensor.nValid, 0);
    ASSERT_TRUE(samples(3)); // measuring goes on, with the markers
    expectMarkers(view.samples[2]);

    // Searched while still out: not found, the error box, measuring with no module.
    EXPECT_EQ(detectModule(), (Calls{"show", "LPT1", "NOT FOUND", "close not found"}));
    EXPECT_EQ(sensor.link, 0);
    expectMarkers(lastOf(view.samples));
    EXPECT_EQ(lastOf(view.moduleTexts), "No module");

    ASSERT_TRUE(pty.plug()); // back, on a new device behind the same COM number
    EXPECT_EQ(detectModule(),
              (Calls{"show", "LPT1", "NOT FOUND", "COM241", "FOUND", "close found"}));
    EXPECT_EQ(settings.loads, 3);
    expectMeasured(lastOf(view.samples));
    EXPECT_EQ(sensor.nValid, 4);
    EXPECT_EQ(lastOf(view.moduleTexts), "COM module");
    EXPECT_EQ(view.resetAt, std::vector<std::size_t>{0}); // found again, the reference stays
}

// Back before the program noticed: the port's end reopens the same COM name, now the new device,
// and only the conversion in flight is lost.
TEST_F(FaultTest, ModuleBackAtOnceIsReopenedWithoutASearch) {
    sensor.setN(4);
    foundAndMeasuring();
    unplugDuringFirstConversion();
    ASSERT_TRUE(pty.plug());
    ASSERT_TRUE(samples(3));
    EXPECT_TRUE(log.contains("Tsscp   : !  connected"));
    EXPECT_EQ(view.samples[1].at - view.samples[0].at, 1000 + Tsscp::ReplyTimeoutMs);
    expectMeasured(view.samples[1]);
    expectMeasured(view.samples[2]);
    EXPECT_EQ(sensor.nValid, 4);
    EXPECT_EQ(intro.calls.size(), 6u); // no new search
}

// Away for less and for more than TS: the measurements meanwhile show the markers at once, and
// the first one after the replug measures again, with no new search.
TEST_F(FaultTest, PortThatComesBackIsOpenedAgainByTheNextMeasurement) {
    sensor.setN(2);
    sensor.setTS(3);
    foundAndMeasuring();
    for (const std::size_t cyclesAway : {0u, 1u, 4u}) {
        const std::size_t before = view.samples.size();
        const std::int64_t plugged = unplugFor(cyclesAway);
        ASSERT_TRUE(samples(view.samples.size() + 2));
        std::size_t first = before;
        while (view.samples[first].at <= plugged) {
            expectMarkers(view.samples[first]);
            if (first > before) {
                EXPECT_EQ(view.samples[first].at - view.samples[first - 1].at, 3000);
            }
            ++first;
        }
        EXPECT_EQ(first - before, cyclesAway);
        expectMeasured(view.samples[first]);
        expectMeasured(view.samples[first + 1]);
    }
    EXPECT_EQ(intro.calls.size(), 6u); // no new search
    EXPECT_EQ(sensor.link, 2);
    // Quiet while away: one line when the port is found gone, one when it is back.
    EXPECT_EQ(logged("COM241: port gone, opened again at every measurement"), 2u);
    EXPECT_EQ(logged("COM241: port back, measuring again"), 3u);
    const auto failedOpens = std::count_if(log.lines.begin(), log.lines.end(), [](const auto& l) {
        return l.find("No such file or directory") != std::string::npos;
    });
    EXPECT_EQ(failedOpens, 3); // only the reopen at once when the port ended, once per unplug
}

// "unplug 5" ten times over, at the default TS of one second: never a Detect.
TEST_F(FaultTest, TenUnplugsOfFiveSecondsNeedNoDetect) {
    foundAndMeasuring();
    for (int i = 0; i < 10; ++i) {
        const std::int64_t plugged = unplugFor(5);
        ASSERT_TRUE(samples(view.samples.size() + 1));
        ASSERT_GT(lastOf(view.samples).at, plugged);
        expectMeasured(lastOf(view.samples));
    }
    EXPECT_EQ(intro.calls.size(), 6u);
    EXPECT_EQ(settings.loads, 1);
}

TEST_F(FaultTest, ModuleThatFallsSilentGivesMarkersAfterTheTimeOutsAndRecovers) {
    sensor.setN(2);
    sensor.setTS(5);
    foundAndMeasuring();
    module.setFault(TmoduleFault::Silent);
    ASSERT_TRUE(samples(3));
    expectMarkers(view.samples[1]);
    // A (which counts as the first conversion), one C and D each wait their full second.
    EXPECT_EQ(view.samples[1].at - view.samples[0].at, 5000 + 3 * Tsscp::ReplyTimeoutMs);
    module.setFault(TmoduleFault::None); // answers again: no new search is needed
    ASSERT_TRUE(samples(5));
    expectMeasured(view.samples[4]);
    EXPECT_EQ(view.samples[4].at - view.samples[3].at, 5000);
    EXPECT_EQ(intro.calls.size(), 6u);
}

TEST_F(FaultTest, GarbageBetweenFramesLosesNoReply) {
    module.setFault(TmoduleFault::Garbage);
    sensor.setN(4);
    sensor.setTS(2);
    foundAndMeasuring();
    ASSERT_TRUE(samples(4));
    for (std::size_t i = 1; i < view.samples.size(); ++i) {
        expectMeasured(view.samples[i]);
        EXPECT_EQ(view.samples[i].at - view.samples[i - 1].at, 2000); // no reply timed out
    }
    EXPECT_EQ(sensor.nValid, 4);
    EXPECT_EQ(intro.timeOf("FOUND"), intro.timeOf("COM241")); // A and B at the first try
}

TEST_F(FaultTest, RepliesForTheWrongCommandOrWithBadChecksumsAreDropped) {
    sensor.setN(3);
    foundAndMeasuring();
    for (TmoduleFault fault : {TmoduleFault::WrongReply, TmoduleFault::BadChecksum}) {
        module.setFault(fault);
        const std::size_t shown = view.samples.size();
        ASSERT_TRUE(samples(shown + 1));
        expectMarkers(lastOf(view.samples));
        // A (the first conversion), two C and D.
        EXPECT_EQ(lastOf(view.samples).at - view.samples[shown - 1].at,
                  1000 + 4 * Tsscp::ReplyTimeoutMs);
        // Neither counts as the module answering: a new search does not find it.
        EXPECT_EQ(detectModule(),
                  (Calls{"show", "LPT1", "NOT FOUND", "COM241", "NOT FOUND", "close not found"}));
        module.setFault(TmoduleFault::None);
        EXPECT_EQ(detectModule(),
                  (Calls{"show", "LPT1", "NOT FOUND", "COM241", "FOUND", "close found"}));
        expectMeasured(lastOf(view.samples));
    }
}

TEST_F(FaultTest, ModuleAnsweringEverySecondCommandAveragesWhatCame) {
    sensor.setN(4);
    foundAndMeasuring();
    // A lost (a failed conversion), C answered, C lost, C answered, D lost.
    module.setFault(TmoduleFault::EverySecond);
    ASSERT_TRUE(samples(2));
    EXPECT_EQ(sensor.count, 4);
    EXPECT_EQ(sensor.nValid, 2);
    const FakeMainView::Sample& s = view.samples[1];
    EXPECT_NEAR(s.pressure, Weather.pressure, 0.1);
    EXPECT_NEAR(s.temperature, Weather.temperature, 0.1);
    EXPECT_EQ(s.humidity, Tsensor::Invalid);
    EXPECT_EQ(s.at - view.samples[0].at, 1000 + 3 * Tsscp::ReplyTimeoutMs);
}

TEST_F(FaultTest, ModulePacedAtTheWireRateWithWorkingTimesIsMeasuredRight) {
    pty.unplug();
    pty.setWirePacing(38400);
    module.setTiming({70'000, 265'000}); // a real module's, longer than any real quiet
    ASSERT_TRUE(pty.plug());
    sensor.setN(3);
    foundAndMeasuring();
    ASSERT_TRUE(samples(3));
    expectMeasured(view.samples[2]);
    EXPECT_EQ(sensor.nValid, 3);
    EXPECT_EQ(view.samples[2].at - view.samples[1].at, 1000); // the replies beat their time-outs
}

} // namespace
