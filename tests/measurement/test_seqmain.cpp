#include "support/CaptureLog.h"
#include "support/LastOf.h"
#include "support/StationRig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

struct SeqMainTest : StationRig<> {
    TcaptureLog log;

    // Delivers messages one by one until the sequence stands in `step`.
    bool reach(std::int32_t step, std::int64_t maxMs = 60'000) {
        return loop.runUntil([&] { return seq.getStep() == step; }, maxMs);
    }
    std::vector<std::int64_t> sampleGaps() const {
        std::vector<std::int64_t> gaps;
        for (std::size_t i = 1; i < view.samples.size(); ++i)
            gaps.push_back(view.samples[i].at - view.samples[i - 1].at);
        return gaps;
    }
};

} // namespace

TEST_F(SeqMainTest, ModuleOnLptIsFoundAndMeasuredEveryTs) {
    lpt.module.setConditions(987.6, 18.0);
    seq.start();
    EXPECT_EQ(sensor.getOwner(), &seq);
    ASSERT_TRUE(samples(4));
    EXPECT_EQ(settings.loads, 1);
    EXPECT_EQ(intro.calls, (Calls{"show", "LPT1", "FOUND", "close found"}));
    EXPECT_EQ(intro.timeOf("FOUND"), 50); // reset, the four words and one D1 conversion
    EXPECT_EQ(intro.timeOf("close found") - intro.timeOf("FOUND"), 2000);
    EXPECT_EQ(sensor.link, 1);
    EXPECT_EQ(view.moduleTexts, (Calls{"No module", "No module", "LPT module"}));
    for (const auto& s : view.samples) {
        EXPECT_NEAR(s.pressure, 987.6, 0.1);
        EXPECT_NEAR(s.temperature, 18.0, 0.1);
        EXPECT_EQ(s.link, 1);
    }
    EXPECT_EQ(view.resetAt, std::vector<std::size_t>{0}); // once, before the first sample
    // TS 1 s plus one reset and a D1/D2 pair of 2 x 50 ms.
    EXPECT_EQ(sampleGaps(), (std::vector<std::int64_t>{1100, 1100, 1100}));
    EXPECT_FALSE(seq.firstSample);
}

TEST_F(SeqMainTest, StartLogsTheAddressesAndRefusesASecondStart) {
    seq.start();
    const int self = static_cast<int>(reinterpret_cast<std::intptr_t>(&seq));
    const int delay = static_cast<int>(reinterpret_cast<std::intptr_t>(seq.delay.get()));
    EXPECT_TRUE(log.contains("seqMAIN        = " + std::to_string(self)));
    EXPECT_TRUE(log.contains("seqMAIN->delay = " + std::to_string(delay)));
    loop.runUntilIdle();
    seq.start();
    EXPECT_TRUE(log.contains("ERROR : TseqMAIN::start() failed"));
    EXPECT_TRUE(log.contains("TseqMAIN #0 : OnNotification(THIS, 6)"));
    ASSERT_TRUE(samples(1));
    EXPECT_EQ(settings.loads, 1);
}

TEST_F(SeqMainTest, TsOfFiveSpacesTheEndsOfMeasurementsByFiveSecondsPlusTheMeasurement) {
    settings.onLoad = [&] {
        sensor.setTS(5);
        sensor.setN(3);
    };
    seq.start();
    ASSERT_TRUE(samples(3));
    EXPECT_EQ(sampleGaps(), (std::vector<std::int64_t>{5300, 5300}));
}

TEST_F(SeqMainTest, NoModuleAnywhereShowsTheErrorOnceAndKeepsMeasuring) {
    noModule();
    seq.start();
    ASSERT_TRUE(samples(5));
    EXPECT_EQ(intro.calls, (Calls{"show", "LPT1", "NOT FOUND", "close not found"}));
    EXPECT_EQ(intro.timeOf("close not found") - intro.timeOf("NOT FOUND"), 100);
    EXPECT_EQ(sensor.link, 0);
    for (const auto& s : view.samples) {
        EXPECT_EQ(s.pressure, 9999.9);
        EXPECT_EQ(s.temperature, 999.9);
        EXPECT_EQ(s.humidity, 9999.9);
    }
    EXPECT_EQ(sampleGaps(), (std::vector<std::int64_t>{1000, 1000, 1000, 1000}));
    EXPECT_TRUE(view.resetAt.empty());
    EXPECT_TRUE(seq.firstSample);
}

TEST_F(SeqMainTest, DetectDuringTheWaitSearchesAgainAtOnceWithFreshSettings) {
    seq.start();
    ASSERT_TRUE(samples(1));
    ASSERT_TRUE(reach(510));
    const std::int64_t asked = loop.now();
    seq.restart();
    loop.runUntilIdle();
    EXPECT_EQ(settings.loads, 2);
    EXPECT_EQ(intro.calls.size(), 6u);
    EXPECT_EQ(intro.times[4], asked); // "show" again, no time has passed
    EXPECT_FALSE(seq.restartRequested);
    EXPECT_EQ(lastOf(view.moduleTexts), "No module");
    ASSERT_TRUE(samples(2));
    EXPECT_EQ(intro.calls, (Calls{"show", "LPT1", "FOUND", "close found", "show", "LPT1", "FOUND",
                                  "close found"}));
    EXPECT_EQ(intro.times[7] - intro.times[6], TseqMAIN::FoundPauseMs); // the wait was cut off
    EXPECT_EQ(view.resetAt, std::vector<std::size_t>{0}); // the reference is taken only once
}

TEST_F(SeqMainTest, DetectDuringASearchIsKeptForTheNextWait) {
    seq.start();
    ASSERT_TRUE(reach(140));
    seq.restart();
    ASSERT_TRUE(samples(1));
    EXPECT_TRUE(seq.restartRequested);
    loop.runUntilIdle();
    EXPECT_EQ(settings.loads, 2); // 510 turned the kept request into a new search
    EXPECT_EQ(seq.getStep(), 120);
    ASSERT_TRUE(samples(2));
    // The search (reset and words with their trailing 50 ms conversion), the 2 s pause and
    // the measurement; no TS wait.
    EXPECT_EQ(view.samples[1].at - view.samples[0].at, 50 + 2000 + 100);
}

TEST_F(SeqMainTest, TsChangedDuringTheSearchLeavesTheSearchRunning) {
    seq.start();
    ASSERT_TRUE(reach(140));
    sensor.setTS(3);
    ASSERT_TRUE(samples(3, 30'000));
    EXPECT_EQ(lastOf(intro.calls), "close found");
    EXPECT_EQ(sampleGaps(), (std::vector<std::int64_t>{3100, 3100}));
}

TEST_F(SeqMainTest, TsChangedDuringTheNotFoundPauseLeavesTheSearchRunning) {
    noModule();
    seq.start();
    ASSERT_TRUE(reach(130));
    sensor.setTS(2);
    ASSERT_TRUE(samples(2, 30'000));
    EXPECT_EQ(lastOf(intro.calls), "close not found");
    EXPECT_EQ(sampleGaps(), (std::vector<std::int64_t>{2000}));
}

TEST_F(SeqMainTest, TsChangedDuringTheWaitMeasuresAtOnce) {
    seq.start();
    ASSERT_TRUE(samples(1));
    ASSERT_TRUE(reach(510));
    loop.advance(300);
    const std::int64_t changed = loop.now();
    sensor.setTS(4);
    ASSERT_TRUE(samples(3));
    EXPECT_EQ(view.samples[1].at, changed + 100); // just the measurement
    EXPECT_EQ(view.samples[2].at - view.samples[1].at, 4100);
}

TEST_F(SeqMainTest, AHugeTsWaitsAsLongAsATimerCanHold) {
    settings.onLoad = [&] { sensor.setTS(3e6); }; // 3e9 ms would overflow the timer's int
    seq.start();
    ASSERT_TRUE(samples(1));
    ASSERT_TRUE(reach(510));
    EXPECT_EQ(loop.nextDue() - loop.now(), INT32_MAX);
}

TEST_F(SeqMainTest, AFailedResetSkipsTheDisplayAndWaitsAsWell) {
    seq.start();
    ASSERT_TRUE(samples(1));
    ASSERT_TRUE(loop.runUntil([&] { return sensor.getStep() == 300; }, 5000));
    // The parallel-port driver reports a failed reset.
    sensor.OnNotification(sensor.lpt.get(), SEQUENCE_ERROR);
    const std::int64_t failed = loop.now();
    EXPECT_EQ(sensor.getStep(), 0);
    EXPECT_EQ(seq.getStep(), 510);
    EXPECT_EQ(loop.nextDue() - failed, 1000);
    ASSERT_TRUE(samples(2));
    EXPECT_EQ(view.samples[1].at, failed + 1000 + 100);
    EXPECT_NEAR(view.samples[1].pressure, 1013.25,
                0.1); // the stray end of the reset changed nothing
}

TEST_F(SeqMainTest, EndReleasesTheSensorAndEndsTheMessageLoop) {
    seq.start();
    ASSERT_TRUE(samples(1));
    ASSERT_TRUE(reach(510));
    seq.cancel(nullptr, false);
    loop.runUntilIdle();
    EXPECT_EQ(seq.getStep(), 0);
    EXPECT_EQ(app.quits, 1);
    EXPECT_EQ(sensor.getOwner(), nullptr);
    EXPECT_TRUE(log.contains("TseqMAIN : terminated SEQUENCE_SUCCESS "));
    loop.advance(10'000);
    EXPECT_EQ(view.samples.size(), 1u);
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

namespace {

struct CancelCase {
    std::int32_t step;
    bool module;
    bool accepted;
};

struct SeqMainCancel : SeqMainTest, ::testing::WithParamInterface<CancelCase> {};

} // namespace

// The cancel request arrives while the sequence stands in the step.
TEST_P(SeqMainCancel, IsHonouredOnlyInItsSteps) {
    const CancelCase c = GetParam();
    if (!c.module) noModule();
    seq.start();
    ASSERT_TRUE(reach(c.step));
    seq.OnNotification(&seq, CANCEL_REQUEST);
    if (c.accepted) {
        EXPECT_EQ(seq.getStep(), 0);
        EXPECT_EQ(app.quits, 1);
        EXPECT_EQ(sensor.getOwner(), nullptr);
        return;
    }
    EXPECT_EQ(seq.getStep(), c.step);
    ASSERT_TRUE(samples(2));
    EXPECT_EQ(app.quits, 0);
    EXPECT_EQ(sensor.getOwner(), &seq);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SeqMainCancel,
    ::testing::Values(CancelCase{110, true, true}, CancelCase{120, true, true},
                      CancelCase{500, true, true}, CancelCase{505, true, true},
                      CancelCase{510, true, true}, CancelCase{100, true, false},
                      CancelCase{105, true, false}, CancelCase{130, false, false},
                      CancelCase{140, true, false}, CancelCase{200, false, false},
                      CancelCase{400, true, false}, CancelCase{450, false, false}),
    [](const auto& info) { return "Step" + std::to_string(info.param.step); });

// A search plan of its own: its ports in its order, LPT1 in the middle included, and an empty
// plan ends the search at once without a port tried.
TEST_F(SeqMainTest, ASearchPlanIsTriedInItsOwnOrder) {
    seq.searchPlan = [](const Tserial_enum&) {
        return std::vector<std::string>{"COM7", "LPT1", "COM3"};
    };
    seq.start();
    // The failed open of COM7 is reported from the port's worker thread.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!samples(1) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(view.samples.size(), 1u);
    EXPECT_EQ(intro.calls, (Calls{"show", "COM7", "NOT FOUND", "LPT1", "FOUND", "close found"}));
    EXPECT_EQ(sensor.link, 1);

    seq.searchPlan = [](const Tserial_enum&) { return std::vector<std::string>{}; };
    intro.calls.clear();
    seq.restart();
    ASSERT_TRUE(loop.runUntil([&] { return intro.calls.size() >= 2; }, 10'000));
    EXPECT_EQ(intro.calls, (Calls{"show", "close not found"}));
}
