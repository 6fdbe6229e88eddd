#include "emulator/EmulatorSession.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "links/SerialTestSupport.h"
#include "support/LastOf.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using Args = std::vector<std::string>;

const Bytes CommandA{0x24, 0x41, 0xBE, 0x21};
const Bytes CommandC{0x24, 0x43, 0xBC, 0x21};

TEST(EmulatorOptions, ReadsEveryOption) {
    TemulatorOptions o;
    ASSERT_TRUE(parseEmulatorOptions({"--pressure",
                                      "990.5",
                                      "--temperature",
                                      "12",
                                      "--humidity",
                                      "70",
                                      "--no-humidity",
                                      "--weather",
                                      "--time-scale",
                                      "60",
                                      "--front-rate",
                                      "1.5",
                                      "--front-hours",
                                      "4",
                                      "--day-swing",
                                      "3",
                                      "--start-hour",
                                      "6",
                                      "--pace",
                                      "--conversion-ms",
                                      "70",
                                      "--humidity-ms",
                                      "250.5",
                                      "--com",
                                      "243",
                                      "--fault",
                                      "every-second",
                                      "--unplug-at",
                                      "30",
                                      "--unplug-for",
                                      "5"},
                                     o));
    EXPECT_EQ(o.scenario.base.pressure, 990.5);
    EXPECT_EQ(o.scenario.base.temperature, 12);
    EXPECT_EQ(o.scenario.base.humidityTemp, 12);
    EXPECT_EQ(o.scenario.base.humidity, 70);
    EXPECT_FALSE(o.scenario.base.humiditySensor);
    EXPECT_TRUE(o.weather);
    EXPECT_EQ(o.timeScale, 60);
    EXPECT_EQ(o.scenario.frontRate, 1.5);
    EXPECT_EQ(o.scenario.frontHours, 4);
    EXPECT_EQ(o.scenario.daySwing, 3);
    EXPECT_EQ(o.scenario.startHour, 6);
    EXPECT_TRUE(o.startHourGiven);
    EXPECT_EQ(o.paceBaud, 38400);
    EXPECT_EQ(o.timing.commandC, 70'000u);
    EXPECT_EQ(o.timing.commandD, 250'500u);
    EXPECT_EQ(o.com, 243);
    EXPECT_EQ(o.fault, TmoduleFault::EverySecond);
    EXPECT_EQ(o.unplugAt, 30);
    EXPECT_EQ(o.unplugFor, 5);
}

TEST(EmulatorOptions, RefusesWhatItDoesNotKnow) {
    for (const Args& bad :
         {Args{"--pressure"}, Args{"--pressure", "high"}, Args{"--loud"}, Args{"--fault", "flaky"},
          Args{"--time-scale", "0"}, Args{"--conversion-ms", "-1"}, Args{"--unplug-at", "-5"},
          Args{"--pressure", "1e999"}}) {
        TemulatorOptions o;
        EXPECT_FALSE(parseEmulatorOptions(bad, o)) << bad[0];
    }
    for (const char* name : {"none", "silent", "ack-second-try", "bad-checksum", "wrong-reply",
                             "escapes", "garbage", "every-second"}) {
        TmoduleFault fault{};
        ASSERT_TRUE(faultNamed(name, fault));
        EXPECT_STREQ(faultName(fault), name);
    }
}

struct SessionTest : ::testing::Test {
    TempDir dir;
    TportPublisher publisher{dir.path + "/emu"};
    TserialModule module;
    TptyModule pty{module, &publisher};
    TemulatorOptions options;
    std::string out;

    void SetUp() override {
        ASSERT_EQ(publisher.claim(247), 247);
        options.scenario.base = {1000.0, 15.0, 60.0, 15.0, true};
        options.scenario.startHour = 15.0;
    }
};

TEST_F(SessionTest, ScenarioRunsOnTheScaledClock) {
    options.weather = true;
    options.timeScale = 60; // an hour a minute
    TemulatorSession session(options, module, pty, &publisher);
    EXPECT_EQ(module.conditions().pressure, 1000.0);
    session.tick(90, out);
    EXPECT_NEAR(module.conditions().pressure, 998.5, 1e-9);
    EXPECT_NEAR(module.conditions().temperature, options.scenario.temperatureAt(1.5), 1e-9);
    EXPECT_TRUE(out.empty());
    // A new base value moves the whole scenario.
    ASSERT_TRUE(session.command("pressure 1020", 90, out));
    EXPECT_NEAR(module.conditions().pressure, 1018.5, 1e-9);
    EXPECT_NE(out.find("1018.50 mbar"), std::string::npos);
}

TEST_F(SessionTest, WithoutTheScenarioTheValuesStay) {
    TemulatorSession session(options, module, pty, &publisher);
    session.tick(5 * 3600, out);
    EXPECT_EQ(module.conditions().pressure, 1000.0);
    ASSERT_TRUE(session.command("humidity 33", 10, out));
    ASSERT_TRUE(session.command("temperature 8", 10, out));
    EXPECT_EQ(module.conditions().humidity, 33);
    EXPECT_EQ(module.conditions().humidityTemp, 8);
}

TEST_F(SessionTest, CommandsSetFaultsAndReportUnknownOnes) {
    options.fault = TmoduleFault::Silent;
    TemulatorSession session(options, module, pty, &publisher);
    EXPECT_EQ(module.currentFault(), TmoduleFault::Silent);
    ASSERT_TRUE(session.command("fault garbage", 0, out));
    EXPECT_EQ(module.currentFault(), TmoduleFault::Garbage);
    EXPECT_EQ(out, "fault garbage\n");
    out.clear();
    ASSERT_TRUE(session.command("fault flaky", 0, out));
    ASSERT_TRUE(session.command("pressure", 0, out));
    EXPECT_EQ(module.currentFault(), TmoduleFault::Garbage);
    EXPECT_EQ(out, "unknown command: fault flaky\nunknown command: pressure\n");
    out.clear();
    ASSERT_TRUE(session.command("status", 0, out));
    EXPECT_EQ(out, "unplugged, fault garbage, 1000.00 mbar, 15.00 C, 60.0 %RH, 0 commands\n");
    EXPECT_FALSE(session.command("quit", 0, out));
}

TEST_F(SessionTest, UnplugForSomeSecondsComesBackOnANewDevice) {
    TemulatorSession session(options, module, pty, &publisher);
    ASSERT_TRUE(pty.plug());
    const std::string link = publisher.linkPath();
    EXPECT_TRUE(::access(link.c_str(), F_OK) == 0);
    ASSERT_TRUE(session.command("unplug 5", 100, out));
    EXPECT_FALSE(pty.isPlugged());
    EXPECT_FALSE(::access(link.c_str(), F_OK) == 0); // the enumeration no longer lists it
    EXPECT_EQ(session.plugDue(), 105);
    session.tick(104.9, out);
    EXPECT_FALSE(pty.isPlugged());
    session.tick(105, out);
    ASSERT_TRUE(pty.isPlugged());
    EXPECT_EQ(out, "unplugged for 5 s\nCOM247: " + pty.slavePath() + "\n");
    EXPECT_TRUE(::access(link.c_str(), F_OK) == 0);
    EXPECT_LT(session.plugDue(), 0);
    // Without a time the module stays out until "plug".
    ASSERT_TRUE(session.command("unplug", 200, out));
    session.tick(10'000, out);
    EXPECT_FALSE(pty.isPlugged());
    ASSERT_TRUE(session.command("plug", 10'000, out));
    EXPECT_TRUE(pty.isPlugged());
}

TEST_F(SessionTest, ScheduledUnplugHappensOnce) {
    options.unplugAt = 30;
    options.unplugFor = 2;
    TemulatorSession session(options, module, pty, &publisher);
    ASSERT_TRUE(pty.plug());
    session.tick(29, out);
    EXPECT_TRUE(pty.isPlugged());
    session.tick(30.5, out);
    EXPECT_FALSE(pty.isPlugged());
    session.tick(32.5, out);
    EXPECT_TRUE(pty.isPlugged());
    session.tick(40, out);
    EXPECT_TRUE(pty.isPlugged());
    EXPECT_EQ(out.find("unplugged"), out.rfind("unplugged"));
}

// The program's side of an emulated module: the slave device opened raw.
struct Line {
    explicit Line(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Line() {
        if (fd >= 0) ::close(fd);
    }
    void write(const Bytes& bytes) const {
        [[maybe_unused]] const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    }
    // Each byte with the moment it arrived; stops after `count` bytes or `ms`.
    std::vector<Clock::time_point> read(std::size_t count, int ms, Bytes& got) const {
        std::vector<Clock::time_point> at;
        const auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < count && Clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            std::uint8_t byte = 0;
            if (::read(fd, &byte, 1) != 1) continue;
            got.push_back(byte);
            at.push_back(Clock::now());
        }
        return at;
    }
    int fd;
};

std::chrono::microseconds between(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration_cast<std::chrono::microseconds>(b - a);
}

// Either way of waiting: on a timer alone, or with the end of each wait spun on the clock.
class PtyModuleWirePacing : public testing::TestWithParam<bool> {};

TEST_P(PtyModuleWirePacing, BytesTakeTheirWireTimeAndConversionsTheirWorkingTime) {
    TserialModule module;
    module.setTiming({20'000, 0});
    TptyModule pty(module);
    pty.setWirePacing(38400);
    pty.setExactTiming(GetParam());
    EXPECT_EQ(pty.byteTime(), std::chrono::nanoseconds(260'416));
    ASSERT_TRUE(pty.plug());
    Line line(pty.slavePath());
    ASSERT_GE(line.fd, 0);
    const Bytes expected =
        TserialModule::frameFor({'c', 0, 0, 0, 0, 0}); // the length of a "c" reply without escapes
    const auto sent = Clock::now();
    line.write(CommandC);
    Bytes got;
    const auto at = line.read(expected.size(), 5000, got);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_EQ(got[1], 'c');
    // Four command bytes in, the conversion, then each reply byte after its own wire time: the
    // emulator writes no byte before its time, so these bounds hold however late the test reads.
    const auto byte = std::chrono::microseconds(260);
    const long n = static_cast<long>(got.size());
    EXPECT_GE(between(sent, firstOf(at)), std::chrono::microseconds(20'000) + 5 * byte);
    EXPECT_GE(between(sent, lastOf(at)), std::chrono::microseconds(20'000) + (4 + n) * byte);
}

INSTANTIATE_TEST_SUITE_P(TimerOrClock, PtyModuleWirePacing, testing::Bool());

TEST(PtyModulePacing, WithoutPacingAReplyComesInOneGo) {
    TserialModule module;
    TptyModule pty(module);
    EXPECT_EQ(pty.byteTime().count(), 0);
    ASSERT_TRUE(pty.plug());
    Line line(pty.slavePath());
    line.write(CommandA);
    Bytes got;
    line.read(4, 5000, got);
    EXPECT_EQ(got, (Bytes{0x24, 0x61, 0x9E, 0x21}));
}

TEST(PtyModulePacing, UnplugInterruptsALongConversion) {
    TserialModule module;
    module.setTiming({60'000'000, 0}); // a minute
    TptyModule pty(module);
    pty.setWirePacing(38400);
    ASSERT_TRUE(pty.plug());
    {
        Line line(pty.slavePath());
        line.write(CommandC);
        Bytes got;
        line.read(1, 100, got);
        EXPECT_TRUE(got.empty());
    }
    const auto start = Clock::now();
    pty.unplug();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(pty.isPlugged());
}

} // namespace
