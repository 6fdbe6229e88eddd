// The logger started again on its archive: the weather model's hourly history, its trend and
// bars, as the run before left them. Virtual time, the emulated LPT module.
#include "logger/Logger.h"
#include "measurement/StepLoop.h"
// after the loop it needs
#include "measurement/LptBench.h"
#include "measurement/SerialTree.h"
#include "support/LoggerRunOptions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>

namespace {

constexpr std::int64_t StartSeconds = 1'790'000'000;

struct TmeteoState {
    std::array<double, Tmeteo::historySize> history{};
    int trend = 0, weatherClass = 0;
};

TmeteoState stateOf(const Tmeteo& meteo) {
    TmeteoState s{{}, meteo.getTrend(), meteo.getWeatherClass()};
    for (int i = 0; i < Tmeteo::historySize; ++i)
        s.history[std::size_t(i)] = meteo.getHistory(i);
    return s;
}

struct ReadingCount : TreadingSink {
    void reading(const Treading&) override { ++count; }
    int count = 0;
};

struct ArchiveRestart : ::testing::Test {
    ArchiveRestart() { std::ofstream(dir.file("setup.ini")) << "set_sampling_ts\t10\n"; }
    std::unique_ptr<Tlogger> startLogger() {
        const TloggerOptions options =
            loggerRunOptions(dir.file("setup.ini"), dir.file("samples.dat"), "LPT1", false);
        auto logger = std::make_unique<Tlogger>(
            options, [](const std::string&) {},
            [this] { return StartSeconds + loop.now() / 1000; });
        EXPECT_TRUE(logger->start());
        return logger;
    }
    // The pressure falls by `perHour` mbar an hour, in steps every ten minutes, for the hours
    // and twenty minutes more (a restart far from an hourly entry's time).
    void weather(int hours, double perHour) {
        for (int step = 0; step < hours * 6 + 2; ++step) {
            pressure -= perHour / 6;
            lpt.module.setConditions(pressure, 12);
            loop.advance(600'000);
        }
    }
    TempDir dir;
    TstepLoop loop;
    SerialTree tree; // no serial port: the search tries LPT1 alone
    LptBench lpt{loop};
    double pressure = 1020;
};

TEST_F(ArchiveRestart, TrendAndBarsAreThoseOfTheRunBefore) {
    struct Case {
        int hours;
        double perHour;
        int trend;
    };
    for (const Case c : {Case{5, 0.6, TREND_SLOW_DOWN}, Case{3, -1.5, TREND_QUICK_UP}}) {
        auto logger = startLogger();
        weather(c.hours, c.perHour);
        const TmeteoState before = stateOf(logger->station().meteo());
        ASSERT_EQ(before.trend, c.trend);
        logger.reset();
        logger = startLogger();
        ReadingCount first;
        logger->addSink(&first);
        ASSERT_TRUE(loop.runUntil([&] { return first.count > 0; }, 60'000));
        logger->station().removeSink(&first);
        const TmeteoState after = stateOf(logger->station().meteo());
        EXPECT_EQ(after.trend, before.trend);
        EXPECT_EQ(after.weatherClass, before.weatherClass);
        for (std::size_t i = 0; i < before.history.size(); ++i)
            EXPECT_NEAR(after.history[i], before.history[i], std::abs(c.perHour) / 6 + 1e-6)
                << c.hours << " h, bar " << i; // a minute's mean for the sample in it
    }
}

} // namespace
