#include "RecordingCanvas.h"
#include "charts/Plot_timeModel.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <limits>
#include <utility>

namespace {

// A plot as the chart window sets it up, drawn at 433 x 177.
Tplot_timeModel chartPlot(int history = 3600) {
    Tplot_timeModel plot;
    plot.SetHistoryLength(history);
    plot.Set_x_grid_nbr(2);
    plot.Set_y_grid_nbr(2);
    plot.TakeGeometry(96, 8, 433, 177);
    return plot;
}

std::vector<std::string> draw(Tplot_timeModel& plot) {
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    return canvas.ops;
}

const std::vector<std::string> gridLines = {
    "line 0 0 0 177", "line 144 0 144 177", "line 288 0 288 177", "line 432 0 432 177",
    "line 0 0 433 0", "line 0 59 433 59",   "line 0 118 433 118", "line 0 177 433 177"};

} // namespace

TEST(PlotHistory, SlidesOnceFullDroppingTheOldest) {
    Tplot_timeModel plot;
    plot.SetHistoryLength(3);
    for (int i = 1; i <= 5; ++i)
        plot.AddSample(i * 10.0, 100.0 + i);
    ASSERT_EQ(plot.SampleCount(), 3);
    EXPECT_EQ(plot.Value(0), 30.0);
    EXPECT_EQ(plot.Value(2), 50.0);
    EXPECT_EQ(plot.Time(0), 103.0);
    EXPECT_EQ(plot.Time(2), 105.0);
    EXPECT_EQ(plot.GetRangeYLow(), 30.0); // the dropped 10 and 20 no longer count
    EXPECT_EQ(plot.GetRangeYHigh(), 50.0);
}

TEST(PlotHistory, LengthBelowTwoIsRefusedAndKeepsTheBuffers) {
    Tplot_timeModel plot;
    EXPECT_EQ(plot.HistoryLength(), 10);
    plot.AddSample(5, 1); // no buffers yet: nothing held, but a redraw is due
    EXPECT_EQ(plot.SampleCount(), 0);
    EXPECT_TRUE(plot.NeedsRedraw());
    plot.SetHistoryLength(4);
    plot.AddSample(7, 2);
    plot.SetHistoryLength(1);
    plot.SetHistoryLength(-3);
    EXPECT_EQ(plot.HistoryLength(), 4);
    ASSERT_EQ(plot.SampleCount(), 1);
    EXPECT_EQ(plot.Value(0), 7.0);
}

TEST(PlotHistory, ShorterLengthWhileHoldingKeepsTheNewestThatFit) {
    Tplot_timeModel plot;
    plot.SetHistoryLength(6);
    for (int i = 0; i < 6; ++i)
        plot.AddSample(i, i);
    plot.SetHistoryLength(4);
    ASSERT_EQ(plot.SampleCount(), 4);
    EXPECT_EQ(plot.Value(0), 2.0);
    EXPECT_EQ(plot.Value(3), 5.0);
    EXPECT_EQ(plot.GetRangeYLow(), 2.0);
    plot.AddSample(9, 9); // full: slides within the new length
    EXPECT_EQ(plot.SampleCount(), 4);
    EXPECT_EQ(plot.Value(0), 3.0);
    plot.SetHistoryLength(100);
    EXPECT_EQ(plot.SampleCount(), 4);
    EXPECT_EQ(plot.Value(3), 9.0);
}

// Long runs against a plain window: the held samples and the data range must be what shifting
// and scanning every time would give, across many wraps of the buffers, changes of length,
// clearing, repeated values, signed zeros, infinities and values that are not numbers.
TEST(PlotHistory, LongRunsKeepTheWindowAndTheScannedRange) {
    Tplot_timeModel plot;
    std::deque<std::pair<double, double>> window;
    int length = 2;
    plot.SetHistoryLength(length);
    std::uint32_t noise = 12345;
    const auto next = [&] { return noise = noise * 1664525u + 1013904223u; };
    const double specials[] = {0.0, -0.0, std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    for (int step = 0; step < 20000; ++step) {
        const std::uint32_t r = next();
        if (r % 997 == 0) {
            plot.ClearContent();
            window.clear();
        } else if (r % 991 == 0) {
            length = 2 + static_cast<int>(next() % 40);
            plot.SetHistoryLength(length);
            while (window.size() > static_cast<std::size_t>(length))
                window.pop_front();
        }
        const double value = r % 50 == 0 ? specials[next() % 5] : static_cast<double>(r % 16);
        plot.AddSample(value, step);
        window.emplace_back(value, step);
        if (window.size() > static_cast<std::size_t>(length)) window.pop_front();

        ASSERT_EQ(plot.SampleCount(), static_cast<int>(window.size()));
        double low = window.front().first, high = low;
        for (std::size_t i = 0; i < window.size(); ++i) {
            const auto [v, t] = window[i];
            ASSERT_EQ(plot.Time(static_cast<int>(i)), t) << "step " << step;
            ASSERT_TRUE(plot.Value(static_cast<int>(i)) == v ||
                        (std::isnan(v) && std::isnan(plot.Value(static_cast<int>(i)))));
            if (v < low) low = v;
            if (v > high) high = v;
        }
        const auto same = [](double a, double b) {
            return (std::isnan(a) && std::isnan(b)) ||
                   (a == b && std::signbit(a) == std::signbit(b));
        };
        ASSERT_TRUE(same(plot.DataYMin(), low)) << "step " << step;
        ASSERT_TRUE(same(plot.DataYMax(), high)) << "step " << step;
    }
}

TEST(PlotRange, AutoScaleFollowsTheDataAndReportsChangesOnce) {
    Tplot_timeModel plot;
    plot.SetHistoryLength(10);
    EXPECT_TRUE(plot.YScaleChangedSinceLastCheck()); // initially set
    EXPECT_FALSE(plot.YScaleChangedSinceLastCheck());
    plot.AddSample(0, 1); // shown range stays 0..0
    EXPECT_FALSE(plot.YScaleChangedSinceLastCheck());
    plot.AddSample(3.5, 2);
    EXPECT_TRUE(plot.YScaleChangedSinceLastCheck());
    plot.AddSample(-1.25, 3);
    EXPECT_EQ(plot.GetRangeYLow(), -1.25);
    EXPECT_EQ(plot.GetRangeYHigh(), 3.5);
    EXPECT_TRUE(plot.YScaleChangedSinceLastCheck());
    plot.AddSample(1, 4);
    EXPECT_FALSE(plot.YScaleChangedSinceLastCheck());
}

TEST(PlotRange, ManualBoundsAreKeptWhileAutoAndComeBack) {
    Tplot_timeModel plot;
    plot.SetHistoryLength(10);
    plot.AddSample(2, 1);
    plot.AddSample(4, 2);
    plot.YScaleChangedSinceLastCheck();
    plot.SetManualYScaleHigh(100);
    plot.SetManualYScaleLow(-100);
    EXPECT_EQ(plot.GetRangeYHigh(), 4.0); // auto scale still on
    EXPECT_FALSE(plot.YScaleChangedSinceLastCheck());
    plot.SetAutoScaleY(false);
    EXPECT_EQ(plot.GetRangeYLow(), -100.0);
    EXPECT_EQ(plot.GetRangeYHigh(), 100.0);
    EXPECT_TRUE(plot.YScaleChangedSinceLastCheck());
    plot.AddSample(500, 3); // manual range does not follow the data
    EXPECT_EQ(plot.GetRangeYHigh(), 100.0);
    EXPECT_EQ(plot.DataYMax(), 500.0);
    plot.SetManualYScaleLow(-50);
    EXPECT_EQ(plot.GetRangeYLow(), -50.0);
    plot.SetAutoScaleY(true);
    EXPECT_EQ(plot.GetRangeYLow(), 2.0);
    EXPECT_EQ(plot.GetRangeYHigh(), 500.0);
    plot.SetAutoScaleY(false);
    EXPECT_EQ(plot.GetRangeYLow(), -50.0);
}

TEST(PlotRange, ClearContentKeepsTheOldRangeUntilTheNextSample) {
    Tplot_timeModel plot = chartPlot();
    plot.AddSample(1000, 1);
    plot.AddSample(1010, 2);
    TrecordingCanvas drawn;
    plot.DrawIfNeeded(drawn, true);
    plot.ClearContent();
    EXPECT_EQ(plot.SampleCount(), 0);
    EXPECT_TRUE(plot.NeedsRedraw());
    EXPECT_EQ(plot.GetRangeYLow(), 1000.0);
    EXPECT_EQ(plot.GetRangeYHigh(), 1010.0);
    EXPECT_EQ(plot.GetRangeTempsAtX(0.5), 0.0);
    TrecordingCanvas empty;
    plot.DrawIfNeeded(empty, true);
    EXPECT_EQ(empty.lines(), gridLines); // the empty grid, no curve
    plot.AddSample(990, 3);
    EXPECT_EQ(plot.GetRangeYLow(), 990.0);
    EXPECT_EQ(plot.GetRangeYHigh(), 990.0);
}

TEST(PlotTime, FractionOfTheWidthPicksTheSampleBelowIt) {
    Tplot_timeModel plot;
    EXPECT_EQ(plot.GetRangeTempsAtX(0.5), 0.0); // no buffers
    plot.SetHistoryLength(10);
    EXPECT_EQ(plot.GetRangeTempsAtX(0.5), 0.0); // no samples
    for (int i = 0; i < 4; ++i)
        plot.AddSample(1, 1000.0 + i);
    EXPECT_EQ(plot.GetRangeTempsAtX(0.33), 1000.0); // 3 * 0.33 = 0.99 truncates to 0
    EXPECT_EQ(plot.GetRangeTempsAtX(0.34), 1001.0);
    EXPECT_EQ(plot.GetRangeTempsAtX(0.66), 1001.0);
    EXPECT_EQ(plot.GetRangeTempsAtX(1), 1003.0);
    EXPECT_EQ(plot.GetRangeTempsAtX(7), 1003.0); // clamped
    EXPECT_EQ(plot.GetRangeTempsAtX(-2), 1000.0);
}

TEST(PlotGrid, NegativeCountsAreZeroAndEdgesCarryLines) {
    Tplot_timeModel plot = chartPlot();
    plot.Set_x_grid_nbr(-4);
    EXPECT_EQ(plot.GridXdivisions(), 0);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    EXPECT_EQ(canvas.lines(), std::vector<std::string>(gridLines.begin() + 4, gridLines.end()));
    plot.Set_y_grid_nbr(-1);
    EXPECT_TRUE(draw(plot) ==
                std::vector<std::string>({"fill 0 0 433 177 000000", "frame 0 0 433 177 0000ff",
                                          "pen 808080", "pen ffffff"}));
}

TEST(PlotGrid, OneDivisionAddsTheMiddleLines) {
    Tplot_timeModel plot = chartPlot();
    plot.Set_x_grid_nbr(1);
    plot.Set_y_grid_nbr(1);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    EXPECT_EQ(canvas.lines(), (std::vector<std::string>{"line 0 0 0 177", "line 216 0 216 177",
                                                        "line 432 0 432 177", "line 0 0 433 0",
                                                        "line 0 88 433 88", "line 0 176 433 176"}));
}

TEST(PlotGrid, MoreDivisionsThanPixelsDrawTheFirstLineOnly) {
    Tplot_timeModel plot = chartPlot();
    plot.Set_x_grid_nbr(INT_MAX);
    plot.Set_y_grid_nbr(1000);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    EXPECT_EQ(canvas.lines(), (std::vector<std::string>{"line 0 0 0 177", "line 0 0 433 0"}));
}

TEST(PlotDraw, OneSampleDrawsOnlyBackgroundFrameAndGrid) {
    Tplot_timeModel plot = chartPlot();
    plot.SetBGColor(0x800000);
    plot.SetBorderColor(0);
    plot.SetWVColor(0x00FFFF);
    plot.AddSample(1013.2, 5);
    const auto ops = draw(plot);
    std::vector<std::string> expected = {"fill 0 0 433 177 800000", "frame 0 0 433 177 000000",
                                         "pen 808080"};
    expected.insert(expected.end(), gridLines.begin(), gridLines.end());
    expected.push_back("pen 00ffff");
    EXPECT_EQ(ops, expected);
}

TEST(PlotDraw, EqualValuesRunAlongRowOne) {
    Tplot_timeModel plot = chartPlot();
    plot.Set_x_grid_nbr(0);
    plot.Set_y_grid_nbr(0);
    for (int i = 0; i < 3; ++i)
        plot.AddSample(1013.25, i);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    // The first point sits in column 0, later ones at 1 + i * (433 - 3) / 2.
    EXPECT_EQ(canvas.lines(), std::vector<std::string>({"line 0 1 216 1", "line 216 1 431 1"}));
}

TEST(PlotDraw, CurveSpansHighToLowRows) {
    Tplot_timeModel plot = chartPlot();
    plot.Set_x_grid_nbr(0);
    plot.Set_y_grid_nbr(0);
    plot.AddSample(0, 0);
    plot.AddSample(174, 1);
    plot.AddSample(87, 2);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    // High on row 1, low on row H - 2 = 175, the middle on 88.
    EXPECT_EQ(canvas.lines(), std::vector<std::string>({"line 0 175 216 1", "line 216 1 431 88"}));
}

TEST(PlotDraw, ValuesOutsideAManualRangeLeaveTheImageSafely) {
    Tplot_timeModel plot = chartPlot();
    plot.Set_x_grid_nbr(0);
    plot.Set_y_grid_nbr(0);
    plot.SetAutoScaleY(false);
    plot.SetManualYScaleHigh(5); // zero-height range: the substitute divisor 0.00001 applies
    plot.SetManualYScaleLow(5);
    plot.AddSample(9999.9, 0);
    plot.AddSample(-9999.9, 1);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    // Rows of about +-1.7e11 are held far outside the picture instead of overflowing.
    EXPECT_EQ(canvas.lines(), std::vector<std::string>({"line 0 1000000 431 -1000000"}));
}

TEST(PlotDraw, MoreSamplesThanColumnsDrawOneColumnPerPixelWithItsSpread) {
    Tplot_timeModel plot = chartPlot(20);
    plot.TakeGeometry(0, 0, 5, 100);
    plot.Set_x_grid_nbr(0);
    plot.Set_y_grid_nbr(0);
    // 10 samples into 5 columns: column x covers samples ceil(2x)..floor(2x + 2).
    const double values[10] = {0, 97, 50, 50, 0, 97, 97, 97, 0, 0};
    for (int i = 0; i < 10; ++i)
        plot.AddSample(values[i], i);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    // ScaleY = -1 and rows are 98 - v: 0 on row 98, 97 on row 1, 50 on row 48.
    EXPECT_EQ(canvas.lines(),
              std::vector<std::string>({"line 0 98 0 98", "line 0 98 0 1",  // samples 0..2
                                        "line 0 48 1 48", "line 1 98 1 48", // samples 2..4
                                        "line 1 98 2 98", "line 2 98 2 1",  // samples 4..6
                                        "line 2 1 3 1", "line 3 98 3 1",    // samples 6..8
                                        "line 3 98 4 98"}));                // 8..10: newest only
    EXPECT_EQ(canvas.lines().size(), 9u);
}

TEST(PlotDraw, ColumnsOfOneAndAHalfSamplesRoundTheirFirstUpAndTheirLastDown) {
    Tplot_timeModel plot = chartPlot(20);
    plot.TakeGeometry(0, 0, 4, 100);
    plot.Set_x_grid_nbr(0);
    plot.Set_y_grid_nbr(0);
    // 6 samples into 4 columns: 0..1, 2..3, 3..4, then 5..6 beyond the newest.
    for (double v : {0.0, 97.0, 50.0, 0.0, 97.0, 20.0})
        plot.AddSample(v, 0);
    TrecordingCanvas canvas;
    plot.DrawComponent(canvas, true);
    EXPECT_EQ(canvas.lines(),
              std::vector<std::string>({"line 0 98 0 98", "line 0 98 0 1", "line 0 1 1 48",
                                        "line 1 98 1 48", "line 1 98 2 98", "line 2 98 2 1",
                                        "line 2 1 3 78"}));
}

TEST(PlotDraw, ColumnSummaryOutsideTheHistoryIsTheNewestSample) {
    Tplot_timeModel plot = chartPlot(3);
    for (double v : {0.0, 87.0, 174.0})
        plot.AddSample(v, 0);
    plot.UpdateDrawScaling();
    for (auto [a, b] : {std::pair{1, 5}, {-1, 1}, {0, -1}}) {
        plot.MinMaxInOut(a, b);
        EXPECT_EQ(plot.PixIn, 1) << a << " " << b; // 174, the newest, is the top row
        EXPECT_EQ(plot.PixMin, 1) << a << " " << b;
    }
    plot.MinMaxInOut(0, 1);
    EXPECT_EQ(plot.PixIn, 175);
    EXPECT_EQ(plot.PixOut, 88);
    EXPECT_EQ(plot.PixMin, 175);
    EXPECT_EQ(plot.PixMax, 88);
    plot.MinMaxInOut(0, 2); // the full history, up to its last place
    EXPECT_EQ(plot.PixIn, 175);
    EXPECT_EQ(plot.PixOut, 1);
    EXPECT_EQ(plot.PixMin, 175);
    EXPECT_EQ(plot.PixMax, 1);
}

TEST(PlotDraw, ColumnSummaryWithoutSamplesLeavesTheRows) {
    Tplot_timeModel plot = chartPlot(10);
    plot.UpdateDrawScaling();
    plot.PixIn = plot.PixOut = plot.PixMin = plot.PixMax = 7;
    plot.MinMaxInOut(0, 0);
    Tplot_timeModel bare; // no buffers at all
    bare.MinMaxInOut(0, 3);
    EXPECT_EQ(plot.PixIn, 7);
    EXPECT_EQ(plot.PixOut, 7);
    EXPECT_EQ(plot.PixMin, 7);
    EXPECT_EQ(plot.PixMax, 7);
}

TEST(PlotPaint, GeometryChangesForceARedrawAndHiddenPlotsDrawNothing) {
    Tplot_timeModel plot;
    plot.SetHistoryLength(10);
    EXPECT_TRUE(plot.TakeGeometry(100, 100, 100, 100));
    EXPECT_FALSE(plot.TakeGeometry(100, 100, 100, 100));
    EXPECT_FALSE(plot.TakeGeometry(10, 10, 100, 100)); // moved only: same image size
    EXPECT_TRUE(plot.NeedsRedraw());
    TrecordingCanvas hidden;
    plot.DrawIfNeeded(hidden, false);
    EXPECT_TRUE(hidden.ops.empty());
    EXPECT_FALSE(plot.NeedsRedraw()); // cleared although nothing was drawn
    TrecordingCanvas again;
    plot.DrawIfNeeded(again, true);
    EXPECT_TRUE(again.ops.empty());
    plot.SetGridColor(0x123456);
    plot.DrawIfNeeded(again, true);
    EXPECT_EQ(again.ops.size(), 4u); // fill, frame, grid pen, wave pen
    plot.Set_x_grid_nbr(3);          // a new grid is drawn at the next chance
    EXPECT_TRUE(plot.NeedsRedraw());
    plot.DrawIfNeeded(again, true);
    plot.Set_y_grid_nbr(3);
    EXPECT_TRUE(plot.NeedsRedraw());
}
