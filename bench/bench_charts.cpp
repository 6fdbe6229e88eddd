// Cost of one sample in a chart plot: adding it to a full history of 3600 samples and
// redrawing the whole 433 x 177 picture, as the chart window does for every sample.
#include "charts/Plot_time.h"
#include "charts/Plot_timeModel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int History = 3600;

double wave(int i) {
    return 1013.0 + 5.0 * std::sin(i * 0.01) + 0.3 * std::sin(i * 1.7);
}

// Draws nothing: leaves the data model's share of the work.
class TnullCanvas : public TplotCanvas {
public:
    void fillRect(int, int, int, int, Tcolor) override {}
    void frameRect(int, int, int, int, Tcolor) override {}
    void setPen(Tcolor) override {}
    void moveTo(int x, int y) override { benchmark::DoNotOptimize(x + y); }
    void lineTo(int x, int y) override { benchmark::DoNotOptimize(x + y); }
};

void AddSampleAndRepaint(benchmark::State& state) {
    Tplot_time plot;
    plot.setGeometry(96, 8, 433, 177);
    plot.SetBGColor(0x800000);
    plot.SetWVColor(0x00FFFF);
    plot.SetBorderColor(0x000000);
    plot.SetHistoryLength(History);
    plot.Set_x_grid_nbr(2);
    plot.Set_y_grid_nbr(2);
    int i = 0;
    for (; i < History; ++i)
        plot.AddSample(wave(i), i);
    for (auto _ : state) {
        plot.AddSample(wave(i), i);                             // slides the full history
        benchmark::DoNotOptimize(plot.GetBitmap().constBits()); // redraws the image
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AddSampleAndRepaint)->Unit(benchmark::kMicrosecond);

void AddSampleAndDrawModelOnly(benchmark::State& state) {
    Tplot_timeModel plot;
    plot.SetHistoryLength(History);
    plot.Set_x_grid_nbr(2);
    plot.Set_y_grid_nbr(2);
    plot.TakeGeometry(96, 8, 433, 177);
    int i = 0;
    for (; i < History; ++i)
        plot.AddSample(wave(i), i);
    TnullCanvas canvas;
    for (auto _ : state) {
        plot.AddSample(wave(i), i);
        plot.DrawIfNeeded(canvas, true);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AddSampleAndDrawModelOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
