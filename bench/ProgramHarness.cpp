#include "bench/ProgramHarness.h"

#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "emulator/WeatherScenario.h"
#include "links/Serial_enum.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bench {

TworkDir::TworkDir(const std::string& settingsLines) {
    char pattern[] = "/tmp/corv_bench_XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("cannot make a working directory");
    path = pattern;
    fs::create_directories(path + "/none");
    previous = fs::current_path().string();
    fs::current_path(path);
    std::ofstream("setup.ini") << settingsLines;
}

TworkDir::~TworkDir() {
    std::error_code ignored;
    fs::current_path(previous, ignored);
    fs::remove_all(path, ignored);
}

void TworkDir::useOwnSerialRoots() const {
    TserialRoots roots;
    roots.sysfs = path + "/none";
    roots.dev = path + "/none";
    roots.emulated = emulatedDir();
    setSerialRoots(roots);
}

pid_t forkModuleEmulator(const std::string& emulatedDir, int* com) {
    int told[2];
    if (::pipe(told) != 0) throw std::runtime_error("cannot make a pipe");
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child != 0) {
        ::close(told[1]);
        int number = 0;
        if (::read(told[0], &number, sizeof number) != sizeof number) number = 0;
        ::close(told[0]);
        if (com) *com = number;
        return child;
    }
    ::close(told[0]);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) std::_Exit(0);
    TserialModule module;
    TportPublisher publisher(emulatedDir);
    const int number = publisher.claim();
    TptyModule pty(module, &publisher);
    pty.setWirePacing(38400);
    if (number == 0 || !pty.plug()) std::_Exit(1);
    if (::write(told[1], &number, sizeof number) != sizeof number) std::_Exit(1);
    ::close(told[1]);
    // The emulator's weather: a front passing at 1 mbar an hour and the day's temperature and
    // humidity, in real time.
    const TweatherScenario weather;
    for (int second = 0;; ++second) {
        module.setConditions(weather.conditionsAt(second));
        ::sleep(1); // until the benchmark stops it
    }
}

void stopModuleEmulator(pid_t child) {
    if (child <= 0) return;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

namespace {
long statusKiB(const std::string& file, const char* key) {
    std::ifstream status(file);
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == key && status >> value) return value;
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

std::string procFile(pid_t pid, const char* name) {
    return "/proc/" + std::to_string(pid) + "/" + name;
}
} // namespace

long residentKiB() {
    return residentKiBOf(::getpid());
}

long peakResidentKiB() {
    return peakResidentKiBOf(::getpid());
}

long residentKiBOf(pid_t pid) {
    return statusKiB(procFile(pid, "status"), "VmRSS:");
}

long peakResidentKiBOf(pid_t pid) {
    return statusKiB(procFile(pid, "status"), "VmHWM:");
}

// The process's CPU clock, to the nanosecond; the clock ticks of /proc/PID/stat (utime and
// stime, the 14th and 15th fields after the command in parentheses) where the clock cannot be
// read. A tick is 10 ms, an eighth of what a sample costs over a two-minute span.
double cpuSecondsOf(pid_t pid) {
    clockid_t clock{};
    timespec now{};
    if (::clock_getcpuclockid(pid, &clock) == 0 && ::clock_gettime(clock, &now) == 0)
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    std::ifstream stat(procFile(pid, "stat"));
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string skipped;
    for (int field = 3; field < 14; ++field)
        fields >> skipped;
    unsigned long long user = 0, system = 0;
    fields >> user >> system;
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

bool parseSpanOptions(int argc, char** argv, TspanOptions& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const double value = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--span") == 0)
            options.span = value;
        else if (std::strcmp(argv[i], "--warmup") == 0)
            options.warmup = value;
        else if (std::strcmp(argv[i], "--every") == 0)
            options.every = value;
        else if (std::strcmp(argv[i], "--n") == 0)
            options.n = static_cast<int>(value);
        else if (std::strcmp(argv[i], "--paints") == 0)
            options.paints = value != 0;
        else if (std::strcmp(argv[i], "--chart") == 0)
            options.chart = value != 0;
        else
            return false;
    }
    return argc % 2 == 1 && options.span > 0 && options.every > 0 && options.warmup >= 0 &&
           options.n >= 1;
}

double monotonicSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace bench
