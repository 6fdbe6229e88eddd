// Thirty days of measuring every second, in virtual time: the LPT module emulator, the sensor,
// the main sequence, the weather model and the chart's plot models, fed as the main window feeds
// them, with the weather changing all the while. Nothing may grow with the days: the heap in use
// stays where it was after the first day, the debug log writes the same lines for every sample,
// the loop holds no more timers or messages than one cycle needs, the plots keep their history
// length, and the weather history holds 20 entries an hour apart.
#include "charts/ChartTexts.h"
#include "charts/ChartView.h"
#include "charts/Plot_timeModel.h"
#include "core/Tdebug.h"
#include "measurement/MainView.h"
#include "measurement/Seqmain.h"
#include "station/Atmosphere.h"
#include "station/MeteoView.h"
#include "station/Tmeteo.h"
#include "support/LastOf.h"
#include "support/StationRig.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

constexpr std::int64_t Days = 30;
constexpr std::int64_t DayMs = 24 * 3600 * 1000;
constexpr std::int64_t StepMs = 60'000;       // the weather changes once a minute
constexpr std::int64_t Epoch = 1'900'000'000; // calendar seconds at virtual time 0 (beyond 2038)
constexpr int PlotHistory = 3600;             // as the chart window sets it
constexpr std::int64_t CycleMs = 1100;        // TS = 1 s plus reset and one D1/D2 pair

// A front every five days and a daily temperature cycle.
double pressureAt(std::int64_t ms) {
    const double days = static_cast<double>(ms) / DayMs;
    return 1008.0 + 12.0 * std::sin(2 * std::numbers::pi * days / 5.0);
}
double temperatureAt(std::int64_t ms) {
    const double days = static_cast<double>(ms) / DayMs;
    return 12.0 + 6.0 * std::sin(2 * std::numbers::pi * days);
}

// Bytes the program holds on the heap, the large blocks that live outside it included.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Counts log lines and keeps none, as a memo with a line limit would.
class CountingSink : public TdebugSink {
public:
    CountingSink() : previous(debugSink()) { setDebugSink(this); }
    ~CountingSink() override { setDebugSink(previous); }
    CountingSink(const CountingSink&) = delete;
    CountingSink& operator=(const CountingSink&) = delete;
    void appendLine(const char*) override { ++lines; }
    std::int64_t lines = 0;

private:
    TdebugSink* previous;
};

// The main window's part in the road of a sample, without its labels: the sea-level pressure
// into the weather model, the altitude against the reference taken at the first sample, and
// the sample into the chart.
class FeedingView : public TmainView {
public:
    void setModuleText(const char*) override {}
    void resetReference() override {
        if (theSystem.sensor) referencePressure = theSystem.sensor->pressure;
        if (theSystem.meteo) theSystem.meteo->clearHistory();
    }
    void showSample() override {
        const Tsensor* s = theSystem.sensor;
        if (!s) return;
        const double seaLevel = s->pressure + (StandardPressure - localPressure);
        const double altitude =
            altitudeFromPressure(s->pressure - (referencePressure - localPressure));
        if (theSystem.meteo) theSystem.meteo->update(seaLevel);
        if (theSystem.chartView)
            theSystem.chartView->NewSample(s->getD1(), s->getD2(), s->temperature, s->pressure,
                                           altitude, s->humidity, s->humidityTemperature);
    }

private:
    static constexpr double StandardPressure = 1013.25;
    double localPressure = pressureFromAltitude(0.0);
    double referencePressure = StandardPressure;
};

// Every time the newest history bar is set, with the virtual time: one per history entry.
class HistoryBars : public TmeteoView {
public:
    struct Entry {
        std::int64_t seconds;
        double mbar;
    };
    explicit HistoryBars(const std::function<std::int64_t()>& clock) : now(clock) {}
    void setBarEnabled(int, bool) override {}
    void setBarValue(int bar, double mbar) override {
        if (bar == 0) entries.push_back({now(), mbar});
    }
    void setBarLowRange(int, double) override {}
    void setBarHighRange(int, double) override {}
    void showTrend(int, double) override {}
    std::function<std::int64_t()> now;
    std::vector<Entry> entries;
};

// The chart window's part: each valid value into its plot, with the sample's calendar time,
// and the range and time labels read back as the window does after every sample.
class PlotChart : public TchartView {
public:
    explicit PlotChart(const std::function<std::int64_t()>& clock) : now(clock) {
        for (Tplot_timeModel& plot : plots) {
            plot.SetHistoryLength(PlotHistory);
            plot.Set_x_grid_nbr(2);
            plot.Set_y_grid_nbr(2);
        }
    }
    void ResetCharts() override {
        for (Tplot_timeModel& plot : plots)
            plot.SetAutoScaleY(true);
    }
    void NewSample(int, int, double temperature, double pressure, double altitude, double humidity,
                   double humidityTemperature) override {
        const auto t = static_cast<double>(now());
        add(TchartPlot::pressure, pressure, t);
        add(TchartPlot::temperature, temperature, t);
        add(TchartPlot::altitude, altitude, t);
        add(TchartPlot::humidity, humidity, t);
        add(TchartPlot::humidityTemperature, humidityTemperature, t);
        for (Tplot_timeModel& plot : plots) {
            static_cast<void>(plot.GetRangeTempsAtX(0.5));
            static_cast<void>(plot.YScaleChangedSinceLastCheck());
        }
    }
    void SetHumidityLayout(bool) override {}
    Tplot_timeModel& plot(TchartPlot which) { return plots[static_cast<std::size_t>(which)]; }

    std::function<std::int64_t()> now;
    std::array<Tplot_timeModel, 5> plots;

private:
    void add(TchartPlot which, double value, double t) {
        if (insidePlotWindow(which, value)) plot(which).AddSample(value, t);
    }
};

struct SoakTest : StationRig<FeedingView, FakeIntro, TvirtualLoop> {
    SoakTest() {
        theSystem.meteo = &meteo;
        theSystem.meteoView = &bars;
        theSystem.chartView = &chart;
    }
    std::int64_t calendarNow() { return Epoch + loop.now() / 1000; }

    CountingSink log;
    HistoryBars bars{[this] { return calendarNow(); }};
    PlotChart chart{[this] { return calendarNow(); }};
    Tmeteo meteo{[this] { return calendarNow(); }};
};

// What one sample costs in log lines and how far apart samples come, watched sample by sample.
class SampleWatch : public TchartView {
public:
    SampleWatch(TchartView& chart, CountingSink& log, TvirtualLoop& loop)
        : inner(chart), log(log), loop(loop) {}
    void ResetCharts() override { inner.ResetCharts(); }
    void NewSample(int D1, int D2, double temperature, double pressure, double altitude,
                   double humidity, double humidityTemperature) override {
        inner.NewSample(D1, D2, temperature, pressure, altitude, humidity, humidityTemperature);
        if (samples > 0) {
            const std::int64_t lines = log.lines - lastLines;
            const std::int64_t gap = loop.now() - lastAt;
            minLines = samples == 1 ? lines : std::min(minLines, lines);
            maxLines = std::max(maxLines, lines);
            minGap = samples == 1 ? gap : std::min(minGap, gap);
            maxGap = std::max(maxGap, gap);
        }
        ++samples;
        lastLines = log.lines;
        lastAt = loop.now();
    }
    void SetHumidityLayout(bool full) override { inner.SetHumidityLayout(full); }

    std::int64_t samples = 0;
    std::int64_t minLines = 0, maxLines = 0, minGap = 0, maxGap = 0;

private:
    TchartView& inner;
    CountingSink& log;
    TvirtualLoop& loop;
    std::int64_t lastLines = 0, lastAt = 0;
};

} // namespace

TEST_F(SoakTest, ThirtyDaysAtOneSecondStayFlat) {
    SampleWatch watch(chart, log, loop);
    theSystem.chartView = &watch;
    lpt.module.setConditions(pressureAt(0), temperatureAt(0));
    seq.start();

    std::size_t mostTimers = 0, mostPosts = 0;
    std::size_t heapAfterFirstDay = 0;
    for (std::int64_t t = 0; t < Days * DayMs; t += StepMs) {
        loop.advance(StepMs);
        mostTimers = std::max(mostTimers, loop.pendingTimers());
        mostPosts = std::max(mostPosts, loop.pendingPosts());
        lpt.module.setConditions(pressureAt(loop.now()), temperatureAt(loop.now()));
        if (loop.now() == DayMs) heapAfterFirstDay = heapInUse();
    }
    // The heap in use after the first day and after the last: only the test's own record of
    // the hourly entries may have grown (16 bytes an hour).
    const std::size_t heapAtEnd = heapInUse();
    EXPECT_LT(heapAtEnd, heapAfterFirstDay + 64 * 1024)
        << heapAfterFirstDay << " bytes after a day, " << heapAtEnd << " at the end";

    // Measured all the time, every 1.1 s, with the same log lines for every sample.
    EXPECT_EQ(sensor.link, 1);
    EXPECT_GE(watch.samples, Days * DayMs / CycleMs - 5);
    EXPECT_EQ(watch.minGap, CycleMs);
    EXPECT_EQ(watch.maxGap, CycleMs);
    EXPECT_GT(watch.minLines, 0);
    EXPECT_EQ(watch.minLines, watch.maxLines);
    // The loop holds the one timer of the waiting cycle and nothing else.
    EXPECT_LE(mostTimers, 1u);
    EXPECT_EQ(mostPosts, 0u);

    // The plots keep their last hour; the humidity plots stay empty on the LPT module.
    for (TchartPlot which : {TchartPlot::pressure, TchartPlot::temperature, TchartPlot::altitude}) {
        const Tplot_timeModel& plot = chart.plot(which);
        EXPECT_EQ(plot.SampleCount(), PlotHistory);
        EXPECT_EQ(plot.HistoryLength(), PlotHistory);
        EXPECT_NEAR(plot.Time(PlotHistory - 1) - plot.Time(0), (PlotHistory - 1) * 1.1, 1.0);
        EXPECT_NEAR(plot.Time(PlotHistory - 1), static_cast<double>(calendarNow()), 2.0);
    }
    EXPECT_NEAR(chart.plot(TchartPlot::pressure).Value(PlotHistory - 1), sensor.pressure, 1e-9);
    EXPECT_EQ(chart.plot(TchartPlot::humidity).SampleCount(), 0);

    // One history entry an hour, and the newest twenty of them held in order.
    const auto& entries = bars.entries;
    ASSERT_GE(entries.size(), static_cast<std::size_t>(Days * 24 - 1));
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const std::int64_t gap = entries[i].seconds - entries[i - 1].seconds;
        ASSERT_TRUE(gap == 3600 || gap == 3601) << "entry " << i << " after " << gap << " s";
    }
    for (int i = 0; i < Tmeteo::historySize; ++i) {
        const auto& entry = entries[entries.size() - 1 - static_cast<std::size_t>(i)];
        EXPECT_EQ(meteo.getHistory(i), entry.mbar) << "entry " << i;
        EXPECT_NEAR(entry.mbar, pressureAt((entry.seconds - Epoch) * 1000), 0.15) << "entry " << i;
    }
    EXPECT_EQ(meteo.getLastHistoryTime(), lastOf(entries).seconds);
}
