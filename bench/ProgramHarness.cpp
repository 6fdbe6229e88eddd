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
#include <ctime>
#include <filesystem>
#include <fstream>
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

pid_t forkModuleEmulator(const std::string& emulatedDir) {
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child != 0) return child;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) std::_Exit(0);
    TserialModule module;
    TportPublisher publisher(emulatedDir);
    if (publisher.claim() == 0) std::_Exit(1);
    TptyModule pty(module, &publisher);
    pty.setWirePacing(38400);
    if (!pty.plug()) std::_Exit(1);
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
long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = 0;
    while (status >> name) {
        if (name == key && status >> value) return value;
        status.ignore(1 << 12, '\n');
    }
    return -1;
}
} // namespace

long residentKiB() {
    return statusKiB("VmRSS:");
}

long peakResidentKiB() {
    return statusKiB("VmHWM:");
}

double monotonicSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace bench
