// Start-up time of the whole program: from the moment a process is started to the main window
// shown (painted and handed to the platform), in a directory with a settings file so that no
// error box waits for the user. Each run starts this program afresh as a child; the child starts
// the program as app/main.cpp does (model objects, application, windows, message loop), stamps
// the phases on the monotonic clock and quits as soon as the main window is shown. The port
// search runs on an empty device tree and, being driven by timers, waits for nothing before the
// main window is shown.
//
//   bench_startup [--runs R]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise (e.g. xcb under Xvfb).
#include "app/Main.h"
#include "bench/ProgramHarness.h"
#include "display/Tmain.h"
#include "links/Serial_enum.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// The phases of one start, in milliseconds after the process was started.
struct Phases {
    double main = 0;        // main() entered: loading and linking done
    double application = 0; // QApplication made
    double windows = 0;     // model objects and windows made, main window shown
    double shown = 0;       // main window painted and handed to the platform
};

// Stamps the moment the main window has been painted: the first paint of its window, then the
// end of the event that carried it.
class TshownWatch : public QObject {
public:
    explicit TshownWatch(double& stamp) : stamp(stamp) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            QTimer::singleShot(0, [this] {
                stamp = bench::monotonicSeconds();
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    double& stamp;
    bool seen = false;
};

int child(int argc, char** argv, double started) {
    const double inMain = bench::monotonicSeconds();
    const std::string here = std::filesystem::current_path().string();
    TserialRoots roots;
    roots.sysfs = here + "/none";
    roots.dev = here + "/none";
    roots.emulated = here + "/emu";
    setSerialRoots(roots);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    TmodelObjects model;
    TbarometerApplication application(argc, argv);
    const double applicationMade = bench::monotonicSeconds();
    TprogramWindows windows(model.station());
    const double windowsMade = bench::monotonicSeconds();
    double shown = 0;
    TshownWatch watch(shown);
    windows.mainWindow().installEventFilter(&watch);
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    runMessageLoop([] { QApplication::exec(); });
    if (shown == 0) return 1;
    const auto ms = [started](double t) { return (t - started) * 1000.0; };
    std::printf("%.3f %.3f %.3f %.3f\n", ms(inMain), ms(applicationMade), ms(windowsMade),
                ms(shown));
    std::fflush(stdout);
    std::_Exit(0); // the shutdown is not part of the start
}

bool runOnce(const char* self, Phases& phases) {
    int out[2];
    if (::pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char started[64];
    const double now = bench::monotonicSeconds();
    std::snprintf(started, sizeof started, "%.9f", now);
    char childFlag[] = "--child";
    char* args[] = {const_cast<char*>(self), childFlag, started, nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, self, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    if (error != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return false;
    return std::sscanf(text.c_str(), "%lf %lf %lf %lf", &phases.main, &phases.application,
                       &phases.windows, &phases.shown) == 4;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void row(const char* name, const std::vector<double>& values) {
    std::printf("%-34s %8.1f %8.1f %8.1f\n", name, *std::min_element(values.begin(), values.end()),
                median(values), *std::max_element(values.begin(), values.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(1, argv, std::atof(argv[2]));
    int runs = 20;
    if (argc == 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::atoi(argv[2]);
    if (runs < 1 || (argc != 1 && argc != 3)) {
        std::fputs("usage: bench_startup [--runs R]\n", stderr);
        return 2;
    }
    bench::TworkDir dir("set_sampling_n\t1\nset_sampling_ts\t1\nset_altitude\t0\n");
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    std::vector<double> inMain, application, windows, shown;
    for (int i = 0; i < runs; ++i) {
        Phases p;
        if (!runOnce(self.c_str(), p)) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        inMain.push_back(p.main);
        application.push_back(p.application);
        windows.push_back(p.windows);
        shown.push_back(p.shown);
    }
    std::printf("%d starts, milliseconds after the process was started\n", runs);
    std::printf("%-34s %8s %8s %8s\n", "", "min", "median", "max");
    row("main() entered", inMain);
    row("application made", application);
    row("model and windows made", windows);
    row("main window shown (goal < 300 ms)", shown);
    return 0;
}
