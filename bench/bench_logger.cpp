// CPU time and resident memory of corvasine-logger measuring at TS = 1 against a serial
// module emulated at the wire rate in a child process. The logger runs as it is installed, a
// process of its own; once its data file holds the first samples and the warm-up has passed, its
// CPU time and resident set are read from /proc over a span of real time and the CPU time is
// extrapolated to an hour.
//
//   bench_logger [--span SECONDS] [--warmup SECONDS] [--every SECONDS] [--n N] [--http ADDR:PORT]
//   (--http: where the logger's web server listens, instead of its default 127.0.0.1:8741)
#include "bench/ProgramHarness.h"
#include "links/Serial_enum.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Reading {
    double seconds;
    double cpu;
    long samples;
    long rssKiB;
};

// The sample lines of the data file: what is neither empty nor a comment.
long sampleLines(const char* file) {
    std::ifstream in(file);
    long samples = 0;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#' && line[0] != '\r') ++samples;
    return samples;
}

pid_t startLogger(int com, const std::string& http) {
    const std::string port = "COM" + std::to_string(com);
    std::vector<const char*> args{CORV_LOGGER, "--port", port.c_str(), "--settings",
                                  "setup.ini", "--data", "samples.dat"};
    if (!http.empty()) args.insert(args.end(), {"--http", http.c_str()});
    args.push_back(nullptr);
    const pid_t child = ::fork();
    if (child != 0) return child;
    const int err = ::open("logger.err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err >= 0) ::dup2(err, 2);
    ::execv(CORV_LOGGER, const_cast<char* const*>(args.data()));
    std::_Exit(127);
}

// Takes `--http VALUE` out of the arguments; the value, or empty for the logger's default.
std::string takeHttp(int& argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--http") != 0) continue;
        const std::string value = argv[i + 1];
        std::copy(argv + i + 2, argv + argc, argv + i);
        argc -= 2;
        return value;
    }
    return {};
}

void sleepSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

Reading readNow(pid_t logger, double start) {
    return {bench::monotonicSeconds() - start, bench::cpuSecondsOf(logger),
            sampleLines("samples.dat"), bench::residentKiBOf(logger)};
}

void report(const bench::TspanOptions& options, const std::vector<Reading>& rows,
            const Reading& atFound, long peakKiB) {
    const Reading& first = rows.front();
    const Reading& last = rows.back();
    std::printf("\n%10s %10s %9s %10s\n", "time [s]", "CPU [s]", "samples", "RSS [KiB]");
    for (const Reading& r : rows)
        std::printf("%10.1f %10.3f %9ld %10ld\n", r.seconds, r.cpu - first.cpu,
                    r.samples - first.samples, r.rssKiB);
    const double span = last.seconds - first.seconds;
    const double cpu = last.cpu - first.cpu;
    const long samples = last.samples - first.samples;
    std::printf("\nN = %d, TS = 1 s, module emulated at 38400 baud\n", options.n);
    std::printf("first sample after   %.1f s (CPU %.3f s, RSS %ld KiB)\n", atFound.seconds,
                atFound.cpu, atFound.rssKiB);
    std::printf("measured span        %.1f s, %ld samples (%.3f per second)\n", span, samples,
                static_cast<double>(samples) / span);
    std::printf("CPU in the span      %.3f s = %.3f ms per sample = %.4f %% of a core\n", cpu,
                samples ? cpu * 1000.0 / static_cast<double>(samples) : 0.0, cpu / span * 100.0);
    std::printf("CPU per hour         %.2f s (extrapolated from the span; goal < 3 s)\n",
                cpu / span * 3600.0);
    std::printf("RSS                  %ld KiB at the start of the span, %ld KiB at its end "
                "(%+ld KiB), peak %ld KiB (goal < 10240 KiB)\n",
                first.rssKiB, last.rssKiB, last.rssKiB - first.rssKiB, peakKiB);
}

// Waits up to a minute for the first sample in the data file; false when none came or the
// logger ended.
bool waitForFirstSample(pid_t logger) {
    for (int tenth = 0; tenth < 600; ++tenth) {
        if (sampleLines("samples.dat") > 0) return true;
        if (::waitpid(logger, nullptr, WNOHANG) == logger) return false;
        sleepSeconds(0.1);
    }
    return false;
}

int measure(const bench::TspanOptions& options, pid_t logger) {
    const double start = bench::monotonicSeconds();
    if (!waitForFirstSample(logger)) {
        std::fprintf(stderr, "the logger wrote no sample within a minute (see logger.err)\n");
        return 1;
    }
    const Reading atFound = readNow(logger, start);
    sleepSeconds(options.warmup);
    std::vector<Reading> rows{readNow(logger, start)};
    const double end = rows.front().seconds + options.span;
    while (rows.back().seconds + 0.5 < end) {
        sleepSeconds(std::min(options.every, end - rows.back().seconds));
        rows.push_back(readNow(logger, start));
    }
    report(options, rows, atFound, bench::peakResidentKiBOf(logger));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bench::TspanOptions options;
    const std::string http = takeHttp(argc, argv);
    if (!bench::parseSpanOptions(argc, argv, options)) {
        std::fputs("usage: bench_logger [--span S] [--warmup S] [--every S] [--n N] "
                   "[--http ADDR:PORT]\n",
                   stderr);
        return 2;
    }
    bench::TworkDir dir("set_sampling_n\t" + std::to_string(options.n) +
                        "\nset_sampling_ts\t1\nset_altitude\t0\n");
    int com = 0;
    const pid_t emulator = bench::forkModuleEmulator(serialRoots().emulated, &com);
    if (com == 0) {
        std::fprintf(stderr, "no emulated port could be published\n");
        return 1;
    }
    const pid_t logger = startLogger(com, http);
    const int status = measure(options, logger);
    ::kill(logger, SIGTERM);
    ::waitpid(logger, nullptr, 0);
    bench::stopModuleEmulator(emulator);
    return status;
}
