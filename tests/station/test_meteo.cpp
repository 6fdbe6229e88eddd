#include "station/Tmeteo.h"

#include "core/Globals.h"
#include "station/MeteoView.h"
#include "support/LastOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

// Records every call of the weather model on the main window, one line per call.
class FakeMeteoView : public TmeteoView {
public:
    void setBarEnabled(int bar, bool enabled) override {
        calls.push_back("enable " + std::to_string(bar) + (enabled ? " on" : " off"));
    }
    void setBarValue(int bar, double mbar) override {
        calls.push_back("value " + std::to_string(bar) + " " + num(mbar));
    }
    void setBarLowRange(int bar, double mbar) override {
        calls.push_back("low " + std::to_string(bar) + " " + num(mbar));
    }
    void setBarHighRange(int bar, double mbar) override {
        calls.push_back("high " + std::to_string(bar) + " " + num(mbar));
    }
    void showTrend(int code, double variation) override {
        calls.push_back("trend " + std::to_string(code) + " " + num(variation));
    }
    static std::string num(double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", v);
        return text;
    }
    std::vector<std::string> take() { return std::exchange(calls, {}); }
    std::vector<std::string> calls;
};

constexpr std::int64_t start = 1'800'000'000;

class MeteoTest : public ::testing::Test {
protected:
    void SetUp() override { theSystem.meteoView = &view; }
    void TearDown() override { theSystem.meteoView = nullptr; }
    // Feeds x at now + dt and returns whether it became a new history entry.
    bool feedAfter(std::int64_t dt, double x) {
        now += dt;
        const std::int64_t before = meteo.getLastHistoryTime();
        meteo.update(x);
        return meteo.getLastHistoryTime() != before && meteo.getHistory(0) == x;
    }
    FakeMeteoView view;
    std::int64_t now = start;
    Tmeteo meteo{[this] { return now; }};
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(MeteoTest, FirstUpdatePushesAtOnceAndShowsOnlyTheActualBar) {
    meteo.update(1013.0);
    EXPECT_EQ(view.take(),
              (Calls{"low 0 1006.000", "high 0 1020.000",  "low 1 1006.000",  "high 1 1020.000",
                     "low 2 1006.000", "high 2 1020.000",  "low 4 1006.000",  "high 4 1020.000",
                     "low 8 1006.000", "high 8 1020.000",  "low 16 1006.000", "high 16 1020.000",
                     "enable 0 on",    "value 0 1013.000", "enable 1 off",    "enable 2 off",
                     "enable 4 off",   "enable 8 off",     "enable 16 off",   "trend 2 0.000"}));
    EXPECT_EQ(meteo.getHistory(0), 1013.0);
    EXPECT_EQ(meteo.getHistory(1), -1.0);
    EXPECT_EQ(meteo.getLastHistoryTime(), start);
    EXPECT_EQ(meteo.getTrend(), TREND_CONSTANT);
}

// Before any sample the model shows its empty state, and after samples what it holds.
TEST_F(MeteoTest, ShowTellsTheBarsAndTheTrendAsTheyStand) {
    meteo.show();
    EXPECT_EQ(view.take(), (Calls{"enable 0 off", "enable 1 off", "enable 2 off", "enable 4 off",
                                  "enable 8 off", "enable 16 off", "trend 5 0.000"}));
    meteo.update(1013.0);
    view.take();
    meteo.show();
    EXPECT_EQ(view.take(),
              (Calls{"enable 0 on", "value 0 1013.000", "enable 1 off", "enable 2 off",
                     "enable 4 off", "enable 8 off", "enable 16 off", "trend 2 0.000"}));
}

TEST_F(MeteoTest, PushesOncePerHourOfCalendarTime) {
    ASSERT_TRUE(feedAfter(0, 1013.0));
    EXPECT_FALSE(feedAfter(3599, 1012.0));
    EXPECT_EQ(meteo.getHistory(1), -1.0);
    EXPECT_TRUE(feedAfter(1, 1012.5));
    EXPECT_EQ(meteo.getHistory(1), 1013.0);
    EXPECT_EQ(meteo.getLastHistoryTime(), start + 3600);
    // A late sample pushes, and the next hour counts from that sample.
    EXPECT_TRUE(feedAfter(3610, 1012.0));
    EXPECT_FALSE(feedAfter(3599, 1011.0));
    EXPECT_TRUE(feedAfter(1, 1011.0));
}

TEST_F(MeteoTest, ClockSetBackDoesNotStopTheHourlyHistory) {
    ASSERT_TRUE(feedAfter(0, 1013.0));
    // Ten minutes later the clock is set back by one hour.
    EXPECT_FALSE(feedAfter(600 - 3600, 1013.1));
    const std::int64_t setBack = now;
    std::vector<std::int64_t> pushes;
    for (int minute = 1; minute <= 5 * 60; ++minute)
        if (feedAfter(60, 1013.0 + minute / 100.0)) pushes.push_back(now - setBack);
    EXPECT_EQ(pushes, (std::vector<std::int64_t>{3600, 7200, 10800, 14400, 18000}));
    EXPECT_EQ(meteo.getHistory(5), 1013.0);
}

TEST_F(MeteoTest, CalendarTimeBeyond2038KeepsTheHourlyPeriod) {
    now = std::int64_t{std::numeric_limits<std::int32_t>::max()} - 1000;
    ASSERT_TRUE(feedAfter(0, 1013.0));
    EXPECT_FALSE(feedAfter(1800, 1013.0));
    EXPECT_TRUE(feedAfter(1800, 1012.0));
    EXPECT_GT(meteo.getLastHistoryTime(), std::numeric_limits<std::int32_t>::max());
    EXPECT_FALSE(feedAfter(60, 1011.0));
    EXPECT_EQ(meteo.getHistory(0), 1012.0);
}

// Calendar time 0 is a time like any other: a push made then still starts an hour.
TEST_F(MeteoTest, APushAtCalendarTimeZeroStartsAnHourToo) {
    now = 0;
    meteo.update(1013.0);
    ASSERT_EQ(meteo.getHistory(0), 1013.0);
    now = 10;
    meteo.update(1012.0);
    now = 3599;
    meteo.update(1012.0);
    EXPECT_EQ(meteo.getHistory(0), 1013.0);
    EXPECT_EQ(meteo.getHistory(1), -1.0);
    now = 3600;
    meteo.update(1012.5);
    EXPECT_EQ(meteo.getHistory(0), 1012.5);
    EXPECT_EQ(meteo.getHistory(1), 1013.0);
}

TEST_F(MeteoTest, WeatherClassWithHysteresis) {
    const std::vector<std::pair<double, int>> steps{
        {1016.6, WEATHER_SUNNY},    {1016.0, WEATHER_SUNNY},    {1015.5, WEATHER_SUNNY},
        {1015.4, WEATHER_VARIABLE}, {1008.9, WEATHER_VARIABLE}, {1008.5, WEATHER_VARIABLE},
        {1001.5, WEATHER_VARIABLE}, {1001.4, WEATHER_RAIN},     {1002.4, WEATHER_RAIN},
        {1002.5, WEATHER_OVERCAST}, {1009.5, WEATHER_VARIABLE}, {1016.5, WEATHER_SUNNY}};
    for (const auto& [x, expected] : steps) {
        meteo.update(x);
        EXPECT_EQ(meteo.getWeatherClass(), expected) << x;
    }
}

TEST_F(MeteoTest, FirstValueInsideABandLeavesClassNone) {
    for (double x : {1016.0, 1015.5, 1009.4, 1008.5, 1002.0, 1001.5}) {
        meteo.update(x);
        EXPECT_EQ(meteo.getWeatherClass(), WEATHER_NONE) << x;
    }
    meteo.update(1016.5);
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_SUNNY);
}

TEST_F(MeteoTest, NewLimitsTakeEffectAtTheNextUpdate) {
    meteo.update(1012.0);
    ASSERT_EQ(meteo.getWeatherClass(), WEATHER_VARIABLE);
    meteo.setHysteresis(0.1);
    meteo.setOvercastLimit(1005.0);
    meteo.setVariableLimit(1012.5);
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_VARIABLE);
    meteo.update(1012.0);
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_OVERCAST);
    meteo.update(1004.85);
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_RAIN);
}

TEST_F(MeteoTest, LimitSettersKeepTheOrder) {
    meteo.setSunnyLimit(1005.0); // not above the variable limit
    meteo.setSunnyLimit(1009.0);
    meteo.setVariableLimit(1016.0);
    meteo.setVariableLimit(1002.0);
    meteo.setOvercastLimit(1009.0);
    meteo.setOvercastLimit(1020.0);
    EXPECT_EQ(meteo.getSunnyLimit(), 1016.0);
    EXPECT_EQ(meteo.getVariableLimit(), 1009.0);
    EXPECT_EQ(meteo.getOvercastLimit(), 1002.0);

    meteo.setSunnyLimit(1020.0);
    meteo.setVariableLimit(1015.0);
    meteo.setOvercastLimit(995.0);
    meteo.setHysteresis(-3.0);
    EXPECT_EQ(meteo.getSunnyLimit(), 1020.0);
    EXPECT_EQ(meteo.getVariableLimit(), 1015.0);
    EXPECT_EQ(meteo.getOvercastLimit(), 995.0);
    EXPECT_EQ(meteo.getHysteresis(), -3.0);
}

TEST_F(MeteoTest, TrendOfTheLastHour) {
    const std::vector<std::pair<double, int>> cases{{1012.0, TREND_QUICK_DOWN},
                                                    {1012.8, TREND_CONSTANT},
                                                    {1013.5, TREND_SLOW_UP},
                                                    {1014.0, TREND_QUICK_UP},
                                                    {1012.75, TREND_SLOW_DOWN}};
    for (const auto& [x, expected] : cases) {
        Tmeteo fresh{[this] { return now; }};
        now = start;
        fresh.update(1013.0);
        now += 3600;
        view.take();
        fresh.update(x);
        EXPECT_EQ(fresh.getTrend(), expected) << x;
        EXPECT_EQ(lastOf(view.calls),
                  "trend " + std::to_string(expected) + " " + FakeMeteoView::num(x - 1013.0));
    }
    EXPECT_STREQ(trendText(TREND_QUICK_DOWN), "thunderstorm");
    EXPECT_STREQ(trendText(TREND_CONSTANT), "Constant");
    EXPECT_STREQ(trendText(TREND_SLOW_UP), "longterm high pressure system");
    EXPECT_STREQ(trendText(TREND_SLOW_DOWN), "Longterm low pressure system");
    EXPECT_STREQ(trendText(TREND_QUICK_UP), "intermediate high pressure system");
    EXPECT_STREQ(trendText(5), "");
}

// Changes of exactly a rate already count: 0.25 and 1.0 are exact in binary.
TEST_F(MeteoTest, TrendExactlyOnARate) {
    struct Case {
        double slowDown, slowUp, x;
        int expected;
    } cases[] = {
        {-0.25, 0.25, 1012.75, TREND_SLOW_DOWN}, {-0.25, 0.25, 1012.0, TREND_QUICK_DOWN},
        {-0.25, 0.25, 1013.25, TREND_SLOW_UP},   {-0.25, 0.25, 1014.0, TREND_QUICK_UP},
        {0.0, 0.0, 1013.0, TREND_SLOW_UP}, // equal slow rates: the rising rule comes last
    };
    for (const Case& c : cases) {
        Tmeteo fresh{[this] { return now; }};
        fresh.setQuickDownRate(-1.0);
        fresh.setSlowDownRate(c.slowDown);
        fresh.setQuickUpRate(1.0);
        fresh.setSlowUpRate(c.slowUp);
        now = start;
        fresh.update(1013.0);
        now += 3600;
        fresh.update(c.x);
        EXPECT_EQ(fresh.getTrend(), c.expected) << c.x;
    }
}

TEST_F(MeteoTest, TrendRulesApplyInOrderAndRateSettersShowAtOnce) {
    ASSERT_TRUE(feedAfter(0, 1013.0));
    ASSERT_TRUE(feedAfter(3600, 1013.3));
    ASSERT_EQ(meteo.getTrend(), TREND_SLOW_UP);
    view.take();
    // A rising threshold below a falling one: the rising rules come last and win.
    meteo.setSlowDownRate(0.5);
    EXPECT_EQ(meteo.getTrend(), TREND_SLOW_UP);
    // A quick-up threshold below the slow-up one: quick up is evaluated last.
    meteo.setQuickUpRate(0.1);
    EXPECT_EQ(meteo.getTrend(), TREND_QUICK_UP);
    meteo.setQuickUpRate(0.9);
    meteo.setSlowUpRate(1.0);
    EXPECT_EQ(meteo.getTrend(), TREND_SLOW_DOWN);
    meteo.setQuickDownRate(0.4);
    EXPECT_EQ(meteo.getTrend(), TREND_QUICK_DOWN);
    EXPECT_EQ(view.take(), (Calls{"trend 4 0.300", "trend 3 0.300", "trend 4 0.300",
                                  "trend 1 0.300", "trend 0 0.300"}));
    EXPECT_EQ(meteo.getSlowDownRate(), 0.5);
    EXPECT_EQ(meteo.getQuickDownRate(), 0.4);
    EXPECT_EQ(meteo.getQuickUpRate(), 0.9);
    EXPECT_EQ(meteo.getSlowUpRate(), 1.0);
    // Back inside every rate: constant again.
    meteo.setQuickDownRate(-0.9);
    meteo.setSlowDownRate(-0.23);
    EXPECT_EQ(meteo.getTrend(), TREND_CONSTANT);
}

TEST_F(MeteoTest, BarScaleFollowsTheNewestValue) {
    const auto range = [this] { return std::pair{meteo.getBarLow(), meteo.getBarHigh()}; };
    meteo.update(1013.0);
    EXPECT_EQ(range(), (std::pair{1006.0, 1020.0}));
    now += 3600;
    view.take();
    meteo.update(1022.0);
    EXPECT_EQ(range(), (std::pair{1008.0, 1022.0}));
    Calls calls = view.take();
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 2),
              (Calls{"low 0 1008.000", "high 0 1022.000"}));
    EXPECT_EQ(calls[11], "high 16 1022.000");
    EXPECT_EQ(calls[12], "enable 0 on");
    EXPECT_EQ(calls[15], "value 1 1013.000");
    now += 3600;
    view.take();
    meteo.update(1005.0);
    EXPECT_EQ(range(), (std::pair{1005.0, 1019.0}));
    EXPECT_EQ(view.take()[1], "high 0 1019.000");
    // A value inside the scale leaves it where it is and sets no range.
    now += 3600;
    view.take();
    meteo.update(1010.0);
    EXPECT_EQ(range(), (std::pair{1005.0, 1019.0}));
    EXPECT_EQ(view.take()[0], "enable 0 on");
}

// The first scale is x - 7 .. x + 7 computed from x itself: going through the top end would put
// the low end one rounding step off for values such as 1019.1.
TEST_F(MeteoTest, FirstBarScaleIsCentredToTheLastDigit) {
    for (double x : {1019.1, 1020.1, 1019.9, 1021.6}) {
        Tmeteo fresh{[this] { return now; }};
        fresh.update(x);
        EXPECT_EQ(fresh.getBarLow(), x - 7.0) << x;
        EXPECT_EQ(fresh.getBarHigh(), x + 7.0) << x;
    }
}

TEST_F(MeteoTest, HistoryShiftsAndTheBarsShowTheirEntries) {
    for (int hour = 0; hour < 21; ++hour) {
        view.take();
        ASSERT_TRUE(feedAfter(hour == 0 ? 0 : 3600, 1000.0 + hour));
    }
    EXPECT_EQ(meteo.getHistory(0), 1020.0);
    EXPECT_EQ(meteo.getHistory(19), 1001.0); // the first value fell out
    EXPECT_EQ(meteo.getHistory(20), -1.0);
    EXPECT_EQ(meteo.getHistory(-1), -1.0);
    const Calls calls = view.take();
    const Calls expected{"enable 0 on",  "value 0 1020.000", "enable 1 on",  "value 1 1019.000",
                         "enable 2 on",  "value 2 1018.000", "enable 4 on",  "value 4 1016.000",
                         "enable 8 on",  "value 8 1012.000", "enable 16 on", "value 16 1004.000",
                         "trend 3 1.000"};
    EXPECT_EQ(Calls(calls.end() - 13, calls.end()), expected);
}

TEST_F(MeteoTest, ClearHistoryRestartsHistoryAndScaleButKeepsClassAndTrend) {
    ASSERT_TRUE(feedAfter(0, 1017.0));
    ASSERT_TRUE(feedAfter(3600, 1018.0));
    ASSERT_EQ(meteo.getTrend(), TREND_QUICK_UP);
    view.take();
    meteo.clearHistory();
    EXPECT_TRUE(view.calls.empty()); // the bars keep their old values until the next push
    EXPECT_EQ(meteo.getLastHistoryTime(), 0);
    EXPECT_EQ(meteo.getBarHigh(), 0.0);
    EXPECT_EQ(meteo.getBarLow(), -1.0);
    EXPECT_EQ(meteo.getHistory(0), -1.0);
    EXPECT_EQ(meteo.getHistory(1), -1.0);
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_SUNNY);
    EXPECT_EQ(meteo.getTrend(), TREND_QUICK_UP);
    // Ten seconds later the next update pushes and the scale is centred again.
    EXPECT_TRUE(feedAfter(10, 1010.0));
    EXPECT_EQ(meteo.getBarLow(), 1003.0);
    EXPECT_EQ(meteo.getBarHigh(), 1017.0);
    EXPECT_EQ(meteo.getTrend(), TREND_CONSTANT);
    EXPECT_EQ(lastOf(view.calls), "trend 2 0.000");
}

TEST_F(MeteoTest, WithoutMainWindowNothingIsShownButTheModelRuns) {
    theSystem.meteoView = nullptr;
    ASSERT_TRUE(feedAfter(0, 1013.0));
    ASSERT_TRUE(feedAfter(3600, 1012.0));
    meteo.setSlowUpRate(0.1);
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(meteo.getTrend(), TREND_QUICK_DOWN);
    EXPECT_EQ(meteo.getBarLow(), 1006.0);
}

TEST(MeteoTexts, RainIsSplitByTemperature) {
    EXPECT_STREQ(weatherText(WEATHER_NONE, 20.0), "");
    EXPECT_STREQ(weatherText(WEATHER_SUNNY, 20.0), "Sunny");
    EXPECT_STREQ(weatherText(WEATHER_VARIABLE, 20.0), "Variable");
    EXPECT_STREQ(weatherText(WEATHER_OVERCAST, 20.0), "Overcast");
    EXPECT_STREQ(weatherText(WEATHER_RAIN, 3.0), "Rainy");
    EXPECT_STREQ(weatherText(WEATHER_RAIN, 2.99), "Snow & Rain");
    EXPECT_STREQ(weatherText(WEATHER_RAIN, -1.0), "Snow & Rain");
    EXPECT_STREQ(weatherText(WEATHER_RAIN, -1.01), "Snow");
    EXPECT_STREQ(weatherText(7, 20.0), "");
}

TEST(MeteoClock, SystemClockIsCalendarTime) {
    const std::int64_t t = systemCalendarTime();
    EXPECT_GT(t, 1'700'000'000); // after November 2023
    EXPECT_LE(t - std::time(nullptr), 0);
}

// The history rebuilt from past pressures is the one the live model built from them; hours
// without any pressure, between them and up to now, stay empty entries.
TEST_F(MeteoTest, ReplayRebuildsTheLiveHistoryAndKeepsGapsEmpty) {
    std::vector<std::pair<std::int64_t, double>> past;
    for (std::int64_t t = 0; t < 26 * 3600; t += 599)
        past.emplace_back(start + t, 1008 + 6 * std::sin(double(t) / 20000));
    for (const auto& [time, x] : past) {
        now = time;
        meteo.update(x);
    }
    Tmeteo replayed([this] { return now; });
    replayed.replay(past, now);
    for (int i = 0; i < Tmeteo::historySize; ++i)
        EXPECT_EQ(replayed.getHistory(i), meteo.getHistory(i)) << i;
    EXPECT_EQ(replayed.getLastHistoryTime(), meteo.getLastHistoryTime());
    EXPECT_EQ(replayed.getTrend(), meteo.getTrend());
    EXPECT_EQ(replayed.getWeatherClass(), meteo.getWeatherClass());
    EXPECT_EQ(replayed.getBarLow(), meteo.getBarLow());

    std::vector<std::pair<std::int64_t, double>> gappy;
    for (int hour : {0, 1, 2, 3, 7, 8, 9})
        gappy.emplace_back(start + hour * 3600, 1000.0 + hour);
    Tmeteo gaps([this] { return now; });
    gaps.replay(gappy, start + 12 * 3600 + 5);
    const std::vector<double> expected{-1, -1, 1009, 1008, 1007, -1,
                                       -1, -1, 1003, 1002, 1001, 1000};
    for (std::size_t i = 0; i < expected.size() + 1; ++i)
        EXPECT_EQ(gaps.getHistory(int(i)), i < expected.size() ? expected[i] : -1.0) << i;
    EXPECT_EQ(lastOf(view.calls), "trend 5 0.000"); // the newest hour is empty
}
