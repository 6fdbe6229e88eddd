// The re-finding of the module in virtual time, against a simulated main sequence and module,
// with the data file sink writing a real file.
#include "LoggerTestSupport.h"
#include "SimulatedStation.h"
#include "charts/DataFileSink.h"
#include "charts/DataLog.h"
#include "core/VirtualLoop.h"
#include "logger/DateTimeText.h"
#include "logger/Refinder.h"
#include "measurement/Tsensor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;
constexpr std::int64_t Epoch = 1'900'000'000; // calendar seconds at virtual time 0

// The times of the readings the data file takes.
class Times : public TreadingSink {
public:
    void reading(const Treading& r) override {
        if (r.measured()) at.push_back(r.time);
    }
    std::vector<std::int64_t> at;
};

struct RefinderTest : ::testing::Test {
    explicit RefinderTest(std::string port = "") : fixedPort(std::move(port)) {
        sensor.setTS(SimulatedStation::TsMs / 1000);
        finder.watch(&sensor);
        station.finder = &finder;
        station.sinks = {&finder, &file, &times};
        station.now = [this] { return loop.now(); };
        station.calendar = [this] { return calendar(); };
        std::string error;
        EXPECT_TRUE(log.beginAppending(dir.file("samples.dat"), error)) << error;
    }

    std::int64_t calendar() const { return Epoch + loop.now() / 1000; }
    void start() {
        station.restart();
        loop.runUntilIdle();
    }
    void runFor(std::int64_t ms) { loop.advance(ms); }
    std::vector<std::int64_t> searchGaps() const {
        std::vector<std::int64_t> gaps;
        for (std::size_t i = 1; i < station.searchStarts.size(); ++i)
            gaps.push_back(station.searchStarts[i] - station.searchStarts[i - 1]);
        return gaps;
    }

    TvirtualLoop loop;
    TempDir dir;
    std::string fixedPort;
    Lines said;
    Tsensor sensor;
    TdataLog log{[this] { return localDateTimeText(calendar()); }};
    SimulatedStation station;
    Trefinder finder{fixedPort, [this](const std::string& line) { said.push_back(line); },
                     [this] { return calendar(); }, false, [this] { station.restart(); }};
    TdataFileSink file{log, TdataFileSink::Lines::Measured};
    Times times;
};

const Tserial_enum& presentPorts(std::initializer_list<int> coms) {
    static Tserial_enum ports(TserialRoots{"/nonexistent", "/nonexistent", "/nonexistent"});
    std::fill(std::begin(ports.present), std::end(ports.present), 0);
    for (int com : coms)
        ports.present[com] = 1;
    return ports;
}

} // namespace

TEST_F(RefinderTest, SearchesThePortLastUsedFirstThenLptThenTheRest) {
    const Tserial_enum& ports = presentPorts({3, 34, 241});
    EXPECT_EQ(finder.searchPlan(ports), (Lines{"LPT1", "COM3", "COM34", "COM241"}));
    station.otherPorts = {3, 241};
    station.moduleCom = 34;
    start();
    runFor(10'000);
    EXPECT_EQ(finder.lastPort(), "COM34");
    EXPECT_EQ(finder.searchPlan(ports), (Lines{"COM34", "LPT1", "COM3", "COM241"}));
    EXPECT_EQ(finder.searchPlan(presentPorts({3})), (Lines{"COM34", "LPT1", "COM3"}));
}

struct FixedPortTest : RefinderTest {
    FixedPortTest() : RefinderTest("COM5") {}
};

TEST_F(FixedPortTest, SearchesOnlyTheGivenPort) {
    EXPECT_EQ(finder.searchPlan(presentPorts({3, 5, 34})), Lines{"COM5"});
    EXPECT_EQ(finder.searchPlan(presentPorts({})), Lines{"COM5"});
    start();
    runFor(1'000);
    EXPECT_EQ(said, Lines{"no module found on COM5 (/dev/ttyS4); searching again"});
}

// Nothing at start: said once; the searches follow each other 5, 10, 30 and then 60 s after the
// end of the search before (which costs the time-outs of COM1), for as long as it takes.
TEST_F(RefinderTest, NoModuleAtStartIsSaidOnceAndSearchedForWithABackOff) {
    start();
    runFor(10 * 60'000);
    EXPECT_EQ(said, Lines{"no module found; searching again"});
    // LPT1 and COM1 each cost their time-outs.
    const std::int64_t search = 2 * SimulatedStation::EmptyPortMs;
    const std::vector<std::int64_t> gaps = searchGaps();
    ASSERT_GE(gaps.size(), 8u);
    const std::int64_t expected[] = {5'000, 10'000, 30'000, 60'000, 60'000, 60'000, 60'000};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(gaps[i], expected[i] + search) << i;
    EXPECT_EQ(finder.state(), Trefinder::State::Waiting);
    EXPECT_TRUE(times.at.empty());

    station.moduleCom = 34;
    runFor(70'000);
    EXPECT_EQ(said.back(), "module found on COM34 (/dev/ttyUSB1)");
    EXPECT_EQ(finder.state(), Trefinder::State::Measuring);
    EXPECT_FALSE(times.at.empty());
}

// Two failed cycles are no loss; the third in a row is, and the search starts at once.
TEST_F(RefinderTest, ThreeFailedCyclesInARowAreALoss) {
    station.moduleCom = 34;
    start();
    runFor(60'000);
    ASSERT_EQ(said, Lines{"module found on COM34 (/dev/ttyUSB1)"});
    const std::size_t searches = station.searchStarts.size();
    finder.cycleFailed();
    finder.cycleFailed();
    finder.cycleMeasured();
    finder.cycleFailed();
    finder.cycleFailed();
    EXPECT_EQ(station.searchStarts.size(), searches);
    EXPECT_EQ(finder.state(), Trefinder::State::Measuring);
    finder.cycleFailed();
    loop.runUntilIdle();
    EXPECT_EQ(station.searchStarts.size(), searches + 1);
    EXPECT_EQ(said.back(), "module lost");
}

// Unplugged for two minutes and back under another number: lost once, found again once with
// the time it was away and the new port, and the lines go on; no line in between.
TEST_F(RefinderTest, AModuleBackUnderAnotherNumberIsFoundAgain) {
    station.moduleCom = 34;
    start();
    runFor(60'000);
    const std::size_t before = times.at.size();
    station.moduleCom = 0;
    runFor(120'000);
    EXPECT_EQ(times.at.size(), before);
    station.moduleCom = 35;
    runFor(120'000);
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[1], "module lost");
    EXPECT_EQ(said[2].rfind("module found again after 00:0", 0), 0u) << said[2];
    EXPECT_NE(said[2].find(" on COM35 (/dev/ttyUSB2)"), std::string::npos) << said[2];
    EXPECT_GT(times.at.size(), before);
    EXPECT_EQ(finder.lastPort(), "COM35");
}

// A module whose failing cycles report nothing (a parallel-port reset that fails) is lost
// after three cycles' time all the same.
TEST_F(RefinderTest, CyclesThatReportNothingCountAsFailedToo) {
    station.moduleCom = 34;
    station.reports = false;
    start();
    runFor(60'000);
    station.moduleCom = 0;
    runFor(3 * (SimulatedStation::TsMs + 4'000) + 2'000);
    EXPECT_EQ(said.back(), "module lost");
}

// At a long TS with a single conversion a cycle lasts a minute: the loss watchdog waits for three
// of them, so a module that measures well is never taken for lost.
TEST_F(RefinderTest, ALongTsIsNoLossWhileTheModuleMeasures) {
    sensor.setTS(60);
    sensor.setN(1);
    station.tsMs = 60'000;
    station.moduleCom = 34;
    start();
    runFor(3'600'000);
    EXPECT_EQ(said, Lines{"module found on COM34 (/dev/ttyUSB1)"});
    EXPECT_EQ(station.searchStarts.size(), 1u);
    EXPECT_GE(times.at.size(), 59u);
}

TEST(RefinderTexts, DurationsAndPorts) {
    EXPECT_EQ(Trefinder::durationText(130), "00:02:10");
    EXPECT_EQ(Trefinder::durationText(0), "00:00:00");
    EXPECT_EQ(Trefinder::durationText(100 * 3600 + 61), "100:01:01");
    EXPECT_EQ(Trefinder::describePort("COM33"), "COM33 (/dev/ttyUSB0)");
    EXPECT_EQ(Trefinder::describePort("LPT1"), "LPT1 (/dev/parport0)");
}

// Thirty days at TS = 10 s with the module unplugged 50 times, for ten seconds up to an hour,
// and plugged back each time under another COM number. The data file holds exactly the lines
// written, none with a marker, and no gap longer than the time unplugged plus one back-off
// step (60 s) and what a search costs anyway: the cycle the last line may be old at the unplug,
// the search that runs when the module comes back and misses it, the one that finds it, and
// the found pause with the first measurement.
TEST_F(RefinderTest, ThirtyDaysWithFiftyReplugsUnderNewNumbersLeaveOnlyTheUnpluggedGaps) {
    constexpr std::int64_t Hour = 3'600'000;
    constexpr int Replugs = 50;
    station.otherPorts = {1, 2};
    station.moduleCom = 33;
    start();
    struct Outage {
        std::int64_t from, to;
    };
    std::vector<Outage> outages;
    for (int i = 0; i < Replugs; ++i) {
        runFor(14 * Hour - (loop.now() % (14 * Hour)));
        const std::int64_t away = 10'000 + (static_cast<std::int64_t>(i) * 7919 % 3600) * 1000;
        outages.push_back({calendar(), 0});
        station.moduleCom = 0;
        runFor(away);
        station.moduleCom = 33 + (i + 1) % 31;
        outages.back().to = calendar();
    }
    runFor(30 * 24 * Hour - loop.now());
    log.end();

    EXPECT_EQ(std::count(said.begin(), said.end(), "module lost"), Replugs);
    EXPECT_EQ(std::count_if(said.begin(), said.end(),
                            [](const std::string& s) {
                                return s.rfind("module found again after ", 0) == 0;
                            }),
              Replugs);

    constexpr std::int64_t NormalGap =
        (SimulatedStation::TsMs + SimulatedStation::MeasureMs) / 1000 + 1;
    using S = SimulatedStation;
    constexpr std::int64_t SearchPassMs = 3 * S::EmptyPortMs + S::MissingPortMs + S::ModulePortMs;
    constexpr std::int64_t LongestBackOffMs = 60'000;
    constexpr std::int64_t Slack = (LongestBackOffMs + S::TsMs + S::MeasureMs + 2 * SearchPassMs +
                                    S::FoundPauseMs + S::MeasureMs) /
                                       1000 +
                                   1;
    std::size_t next = 0;
    for (std::size_t i = 1; i < times.at.size(); ++i) {
        const std::int64_t gap = times.at[i] - times.at[i - 1];
        if (gap <= NormalGap) continue;
        while (next < outages.size() && outages[next].to < times.at[i - 1])
            ++next;
        ASSERT_LT(next, outages.size()) << "a gap of " << gap << " s without an outage";
        const Outage& o = outages[next];
        EXPECT_GE(o.from, times.at[i - 1]);
        EXPECT_LE(gap, o.to - o.from + Slack) << "outage " << next;
    }

    bool whole = false;
    const Lines lines = crlfLines(readWhole(dir.file("samples.dat")), whole);
    EXPECT_TRUE(whole);
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "#    Datafile for Corvasine Halvorn Altimeter"), 1);
    const Lines samples = sampleLines(lines);
    ASSERT_EQ(samples.size(), times.at.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Lines f = fields(samples[i]);
        ASSERT_EQ(f.size(), 8u) << samples[i];
        EXPECT_EQ(f[0], localDateTimeText(times.at[i]));
        EXPECT_EQ(f[3], "1001.25");
        EXPECT_EQ(f[4], "20.50");
    }
}
