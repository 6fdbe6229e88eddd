// The logger's pressure parts: the options, the calibration, the storm alarm's lines and its
// command (run once per change, never two at once, a failing and a hanging one).
#include "core/RealtimeLoop.h"
#include "logger/AlarmCommand.h"
#include "logger/Calibration.h"
#include "logger/LoggerOptions.h"
#include "logger/StormAlarmSink.h"
#include "support/TempDir.h"

#include "support/ParsedLoggerOptions.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

Treading alarmReading(std::int64_t time, bool raised, double amount) {
    Treading r;
    r.time = time;
    r.pressure = 990.0;
    r.temperature = 10.0;
    r.tendencyAmount = amount;
    r.stormAlarm = raised;
    return r;
}

} // namespace

TEST(PressureOptions, TakenCheckedAndSplitIntoWords) {
    const ParsedLoggerOptions given = parseLoggerArgs(
        {"--pressure-offset", "-0.8", "--units", "inHg,F", "--storm-drop=3", "--storm-hysteresis",
         "0.5", "--on-alarm", "notify 'storm at sea' \"x y\"z"});
    ASSERT_EQ(given.command, TloggerCommand::Run) << given.error;
    const TloggerOptions& o = given.options;
    EXPECT_EQ(o.pressure.offset, -0.8);
    EXPECT_EQ(o.pressure.units.pressureText(1000), "29.53 inHg");
    EXPECT_EQ(o.pressure.stormDrop, 3);
    EXPECT_EQ(o.pressure.stormHysteresis, 0.5);
    EXPECT_EQ(o.pressure.alarmCommand,
              (std::vector<std::string>{"notify", "storm at sea", "x yz"}));
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--pressure-offset", "51"},
                                                {"--calibrate", "1013hPa"},
                                                {"--units", "psi"},
                                                {"--storm-drop", "0"},
                                                {"--on-alarm", "  "},
                                                {"--on-alarm", "a 'b"},
                                                {"--storm-drop", "2", "--storm-hysteresis", "2"}}) {
        const ParsedLoggerOptions refused = parseLoggerArgs(bad);
        EXPECT_EQ(refused.command, TloggerCommand::Bad) << bad[1];
        EXPECT_EQ(refused.error.rfind(bad.back() == "2" ? "--storm-hysteresis" : bad[0], 0), 0u)
            << refused.error;
    }
}

TEST(PressureOptions, CalibrationPrintsTheOffsetThatMakesTheQnhTheReference) {
    std::vector<std::string> lines;
    int done = 0;
    TunitChoice units;
    Tcalibration calibration(
        1013.2, units, [&](const std::string& l) { lines.push_back(l); }, [&] { ++done; });
    Treading r = alarmReading(0, false, 0);
    calibration.reading(r); // no QNH yet
    r.pressureOffset = 0.5;
    r.seaLevelPressure = 1012.87;
    calibration.reading(r);
    calibration.reading(r);
    EXPECT_EQ(done, 1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "pressure offset: +0.83 hPa");
    EXPECT_TRUE(lines[2].ends_with(": --pressure-offset +0.83")) << lines[2];
}

// The command appends its variables to a file and the changes come while it still runs: it runs
// once per change, one at a time, the newest waiting change after the running one; the alarm
// recalled at the start is said but not run again.
TEST(StormAlarmCommand, RunOncePerChangeNeverTwoAtOnceAndFailingOrHangingInOneLine) {
    TrealtimeLoop loop;
    TempDir dir;
    const std::string log = dir.file("runs");
    std::vector<std::string> said;
    const auto say = [&](const std::string& l) { said.push_back(l); };
    // The logger blocks signals and holds files; the command has neither.
    const int low = open("/dev/null", O_RDONLY), held = fcntl(low, F_DUPFD, 40);
    close(low);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
    TalarmCommand command({"sh", "-c",
                           "echo start $CORVASINE_ALARM $CORVASINE_FALL_HPA $(ls /proc/$$/fd/" +
                               std::to_string(held) + " 2>&-) >> " + log +
                               "; sleep 0.3; echo end >> " + log},
                          say);
    TstormAlarmSink sink(TunitChoice(), say, &command);
    sink.recalled(true);
    for (double amount : {-5.0, -2.5, -4.2, -2.0, -4.0, -4.5}) // raised at -4.0 and below
        sink.reading(alarmReading(1'800'000'000, amount <= -4, amount));
    TalarmCommand mask({"sed", "-n", "/SigBlk/w " + dir.file("mask"), "/proc/self/status"}, say);
    mask.run({});
    ASSERT_TRUE(loop.runUntil([&] { return !command.running() && !mask.running(); }, 20'000));
    pthread_sigmask(SIG_UNBLOCK, &blocked, nullptr);
    close(held);
    EXPECT_EQ(readWhole(log), "start cleared 2.50\nend\nstart raised 4.00\nend\n");
    EXPECT_EQ(readWhole(dir.file("mask")), "SigBlk:\t0000000000000000\n");
    ASSERT_EQ(said.size(), 5u); // in force at the start, four changes, no failure
    EXPECT_NE(said[3].find("storm alarm cleared: 3-hour tendency -2.0 hPa"), std::string::npos);
    EXPECT_NE(said[4].find("storm alarm raised: the pressure fell 4.0 hPa"), std::string::npos);

    said.clear();
    TalarmCommand failing({"sh", "-c", "exit 3"}, say);
    TalarmCommand hanging({"sleep", "30"}, say, 300);
    TalarmCommand missing({dir.file("no-such-program")}, say);
    for (TalarmCommand* c : {&failing, &hanging, &missing})
        c->run({});
    ASSERT_TRUE(loop.runUntil([&] { return !failing.running() && !hanging.running(); }, 20'000));
    ASSERT_EQ(said.size(), 3u);
    EXPECT_NE(said[0].find("cannot be started"), std::string::npos) << said[0];
    EXPECT_NE(said[1].find("exit status 3"), std::string::npos) << said[1];
    EXPECT_NE(said[2].find("still running after 0.3 s, killed"), std::string::npos) << said[2];
}
