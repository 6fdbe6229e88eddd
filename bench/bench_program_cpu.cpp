// CPU time and resident memory of the whole program measuring at TS = 1 with the chart window
// shown (or closed, --chart 0). The program is started as app/main.cpp starts it (model objects,
// application, windows, message loop) against a serial module emulated in a child process; once the
// module is found and the first samples are in, the CPU time and the resident set of this process
// are read over a span of real time and extrapolated to an hour.
//
//   bench_program_cpu [--span SECONDS] [--warmup SECONDS] [--every SECONDS] [--n N] [--paints 1]
//                     [--chart 0]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise (e.g. xcb under Xvfb).
#include "app/Main.h"
#include "bench/ProgramHarness.h"
#include "charts/Tchart.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/TWdebug.h"
#include "display/Tmain.h"
#include "station/Station.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A sink of the station beside the windows that counts the samples.
class TcountingChart : public TreadingSink {
public:
    void reading(const Treading&) override { ++samples; }
    long samples = 0;
};

// Counts the paint events of every control on the screen over the span, by name (the class name
// for a control without one): what is repainted for every sample shows where the painting goes.
// A hidden widget rendered into a picture is counted apart, as "rendered".
class TpaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!counting || event->type() != QEvent::Paint) return false;
        const QString name = watched->objectName();
        if (!static_cast<QWidget*>(watched)->isVisible())
            ++paints["rendered"];
        else
            ++paints[name.isEmpty() ? QString(watched->metaObject()->className()) : name];
        return false;
    }

    void report(long samples) const {
        std::vector<std::pair<long, QString>> rows;
        long total = 0;
        for (auto it = paints.cbegin(); it != paints.cend(); ++it) {
            rows.emplace_back(it.value(), it.key());
            total += it.value();
        }
        std::sort(rows.rbegin(), rows.rend());
        const double n = samples ? static_cast<double>(samples) : 1.0;
        std::printf("paint events         %.1f per sample; the most painted controls:", total / n);
        for (std::size_t i = 0; i < rows.size() && i < 12; ++i)
            std::printf("%s %s %.2f", i ? "," : "", qPrintable(rows[i].second), rows[i].first / n);
        std::printf("\n");
    }

    bool counting = false;

private:
    QHash<QString, long> paints;
};

struct Reading {
    double seconds;
    double cpu;
    long samples;
    long rssKiB;
    int logLines;
};

// The lines held by the debug window (it keeps the newest TWdebug::MaxLines).
int logLines(TprogramWindows& windows) {
    return static_cast<int>(windows.debugWindow().lines().size());
}

Reading readNow(double start, const TcountingChart& counter, TprogramWindows& windows) {
    return {bench::monotonicSeconds() - start, bench::cpuSeconds(), counter.samples,
            bench::residentKiB(), logLines(windows)};
}

void report(const bench::TspanOptions& options, const std::vector<Reading>& rows,
            const Reading& atFound, const TpaintCounter& paints) {
    const Reading& first = rows.front();
    const Reading& last = rows.back();
    std::printf("\n%10s %10s %9s %10s %10s\n", "time [s]", "CPU [s]", "samples", "RSS [KiB]",
                "log lines");
    for (const Reading& r : rows)
        std::printf("%10.1f %10.3f %9ld %10ld %10d\n", r.seconds, r.cpu - first.cpu,
                    r.samples - first.samples, r.rssKiB, r.logLines);
    const double span = last.seconds - first.seconds;
    const double cpu = last.cpu - first.cpu;
    const long samples = last.samples - first.samples;
    const double perHour = cpu / span * 3600.0;
    const double growth = static_cast<double>(last.rssKiB - first.rssKiB);
    std::printf("\nN = %d, TS = 1 s, chart window %s, platform %s\n", options.n,
                options.chart ? "shown" : "closed", qPrintable(QGuiApplication::platformName()));
    std::printf("module found and measuring after %.1f s (CPU %.3f s, RSS %ld KiB)\n",
                atFound.seconds, atFound.cpu, atFound.rssKiB);
    std::printf("measured span        %.1f s, %ld samples (%.3f per second)\n", span, samples,
                static_cast<double>(samples) / span);
    std::printf("CPU in the span      %.3f s = %.3f ms per sample = %.3f %% of a core\n", cpu,
                samples ? cpu * 1000.0 / static_cast<double>(samples) : 0.0, cpu / span * 100.0);
    std::printf("CPU per hour         %.1f s (extrapolated from the span; goal < 36 s)\n", perHour);
    std::printf("RSS                  %ld KiB at the start of the span, %ld KiB at its end "
                "(%+.0f KiB, %+.0f KiB/h), peak %ld KiB\n",
                first.rssKiB, last.rssKiB, growth, growth / span * 3600.0,
                bench::peakResidentKiB());
    if (options.paints) paints.report(samples);
    // The debug log fills up to its bound in the first minutes; from then on the resident set
    // must stay where it is.
    for (const Reading& r : rows)
        if (r.logLines >= TWdebug::MaxLines) {
            std::printf("RSS since the debug log is full %+ld KiB (from %.0f s on)\n",
                        last.rssKiB - r.rssKiB, r.seconds);
            return;
        }
    std::printf("the debug log did not fill within the span: take a longer span\n");
}

// Drives the program: shows the chart window, waits for the module and the warm-up, reads the
// costs along the span, then ends the program by its own Exit command.
class Tdriver {
public:
    Tdriver(const bench::TspanOptions& options, TprogramWindows& windows, TcountingChart& counter)
        : options(options), windows(windows), counter(counter) {
        if (options.paints) qApp->installEventFilter(&paints);
        QObject::connect(&poll, &QTimer::timeout, [this] { waitForModule(); });
        QObject::connect(&tick, &QTimer::timeout, [this] { read(); });
        poll.start(200);
        QTimer::singleShot(120000, [this] { giveUp(); });
    }

    bool finished = false;

private:
    QString mainText(const char* name) const {
        auto* label = windows.mainWindow().findChild<QLabel*>(name);
        return label ? label->text() : QString();
    }

    void waitForModule() {
        if (mainText("lb_type") != "COM module" || counter.samples == 0) return;
        poll.stop();
        atFound = readNow(start, counter, windows);
        QTimer::singleShot(static_cast<int>(options.warmup * 1000), [this] { begin(); });
    }

    void begin() {
        rows.push_back(readNow(start, counter, windows));
        end = rows.front().seconds + options.span;
        paints.counting = true;
        tick.start(static_cast<int>(options.every * 1000));
    }

    void read() {
        rows.push_back(readNow(start, counter, windows));
        if (rows.back().seconds + 0.5 < end) return;
        tick.stop();
        paints.counting = false;
        report(options, rows, atFound, paints);
        finished = true;
        exitProgram();
    }

    void giveUp() {
        if (atFound.seconds > 0) return;
        std::fprintf(stderr, "the program found no module within two minutes\n");
        exitProgram();
    }

    void exitProgram() {
        prompts.answers.push_back(TpromptAnswer::Yes); // "Close application ?"
        theSystem.prompts = &prompts;
        windows.mainWindow().findChild<QAction*>("Exit1")->trigger();
    }

    const bench::TspanOptions& options;
    TprogramWindows& windows;
    TcountingChart& counter;
    TscriptedPrompts prompts;
    TpaintCounter paints;
    QTimer poll, tick;
    const double start = bench::monotonicSeconds();
    double end = 0;
    Reading atFound{};
    std::vector<Reading> rows;
};

} // namespace

int main(int argc, char** argv) {
    bench::TspanOptions options;
    if (!bench::parseSpanOptions(argc, argv, options)) {
        std::fputs("usage: bench_program_cpu [--span S] [--warmup S] [--every S] [--n N] "
                   "[--paints 1] [--chart 0]\n",
                   stderr);
        return 2;
    }
    bench::TworkDir dir("set_sampling_n\t" + std::to_string(options.n) +
                        "\nset_sampling_ts\t1\nset_altitude\t0\n");
    dir.useOwnSerialRoots();
    const pid_t emulator = bench::forkModuleEmulator(dir.emulatedDir());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    bool finished = false;
    {
        TmodelObjects model;
        TbarometerApplication application(argc, argv);
        TprogramWindows windows(model.station());
        TcountingChart counter;
        model.station().addSink(&counter);
        if (options.chart) windows.mainWindow().findChild<QAction*>("ViewChart1")->trigger();
        Tdriver driver(options, windows, counter);
        runMessageLoop([] { QApplication::exec(); });
        model.station().removeSink(&counter);
        finished = driver.finished;
        model.destroy();
        theSystem.prompts = nullptr;
    }
    bench::stopModuleEmulator(emulator);
    return finished ? 0 : 1;
}
