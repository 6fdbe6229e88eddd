// The debug window shown, its memo holding `fill` lines (10 000 is full: every new line then
// pushes the oldest out). One iteration is the log of about one serial measurement: a burst of
// lines, each followed by a turn of the program's loop as between two notifications, then the
// loop until the memo shows the last of them. "cpu_per_line_us" is the CPU time of the process
// per line; it should not grow with the lines held.
#include "core/TWdebug.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>

namespace {

constexpr int BurstLines = 64;

double processCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A line like those the serial exchanges log, each different; returns it.
QString logLine(int i) {
    char line[96];
    std::snprintf(line, sizeof line, "Tsscp : OnNotification(%d, %d) 24 63 5A 31 02 6B 10 44 %04X",
                  1234567 + i, i % 14, i & 0xFFFF);
    debugSink()->appendLine(line);
    return QString::fromLatin1(line);
}

// Runs the loop until the memo's last line is `last`, at most a second.
bool waitForLine(const QPlainTextEdit* memo, const QString& last) {
    QTimer tick; // wakes the wait below at least this often
    tick.start(10);
    QElapsedTimer waited;
    waited.start();
    while (memo->document()->lastBlock().text() != last && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return memo->document()->lastBlock().text() == last;
}

void AppendBurstShown(benchmark::State& state) {
    const auto fill = static_cast<int>(state.range(0));
    TWdebug window;
    const auto* memo = window.findChild<QPlainTextEdit*>("Memo1");
    int i = 0;
    while (i < fill)
        logLine(i++);
    window.show();
    QCoreApplication::processEvents();
    double cpu = 0;
    for (auto _ : state) {
        const double start = processCpuSeconds();
        QString last;
        for (int k = 0; k < BurstLines; ++k) {
            last = logLine(i++);
            QCoreApplication::processEvents();
        }
        const bool shown = waitForLine(memo, last);
        cpu += processCpuSeconds() - start;
        if (!shown) {
            state.SkipWithError("the memo did not show the last line");
            return;
        }
    }
    const double lines = static_cast<double>(state.iterations()) * BurstLines;
    state.counters["blocks"] = memo->blockCount();
    state.counters["cpu_per_line_us"] = 1e6 * cpu / lines;
}
BENCHMARK(AppendBurstShown)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(TWdebug::MaxLines)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

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
