// The serial module over a pty, on the real clock:
//
// SerialMeasurementN8: one measurement of the sensor with N = 8 (command A, eight C, one D)
// against the emulated module pacing its bytes at 38400 baud and working a set time on C and D
// (the argument, in ms). "ratio" is the measured time over the least the line allows: every
// command and reply byte at 10 bits per byte plus the module's working time.
//
// ReceiveHandOffPerByte: reply frames arriving at the line rate, one byte every 260 us, through
// the port's worker, the program's signal window in a Qt event loop and the frame layer.
// "cpu_share_of_wire" is the CPU time the program spends per received byte over one byte's time
// on a 38400-baud line; "wall_share_of_wire" the elapsed time per byte over the same (about 1:
// the line sets the pace).
#include "core/Eventresource.h"
#include "core/RealtimeLoop.h"
#include "core/Wsignal.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "links/Serial_enum.h"
#include "links/Serial_resource.h"
#include "links/Sscp.h"
#include "measurement/Tsensor.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int32_t Baud = 38400;
constexpr double ByteSeconds = 10.0 / Baud; // start bit, 8 data bits, stop bit
constexpr int ComNumber = FirstEmulatedCom;
const std::string ComName = "COM" + std::to_string(ComNumber);

// A private directory of emulated ports, installed as the serial roots while it lives.
class PortDirectory {
public:
    PortDirectory() : previous(serialRoots()) {
        char pattern[] = "/tmp/corv-bench-XXXXXX";
        root = ::mkdtemp(pattern);
        setSerialRoots({root + "/sys", root + "/dev", root + "/emulated"});
    }
    ~PortDirectory() {
        setSerialRoots(previous);
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    PortDirectory(const PortDirectory&) = delete;
    PortDirectory& operator=(const PortDirectory&) = delete;
    std::string emulated() const { return root + "/emulated"; }

private:
    TserialRoots previous;
    std::string root;
};

class ReportSink : public TeventResource {
public:
    void OnNotification(TeventResource*, std::int32_t code) override {
        ++reports;
        last = code;
    }
    int reports = 0;
    std::int32_t last = -1;
};

// Bytes on the line for the exchanges of one measurement with N conversions.
std::size_t measurementBytes(const TmoduleConditions& conditions, int n) {
    TserialModule module;
    module.setConditions(conditions);
    std::size_t bytes = 0;
    auto exchange = [&](char letter) {
        const auto command = TserialModule::frameFor({static_cast<std::uint8_t>(letter)});
        std::vector<std::uint8_t> reply;
        module.receive(command.data(), command.size(), reply);
        bytes += command.size() + reply.size();
    };
    exchange('A');
    for (int i = 0; i < n; ++i)
        exchange('C');
    exchange('D');
    return bytes;
}

void SerialMeasurementN8(benchmark::State& state) {
    constexpr int N = 8;
    const auto workMs = static_cast<std::uint32_t>(state.range(0));
    // The emulator's thread, started below, inherits this: its waits for the next byte on the
    // line end on time instead of up to 50 us late, as a real line would deliver them.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    PortDirectory ports;
    TrealtimeLoop loop;
    TmoduleConditions conditions;
    TserialModule module;
    module.setConditions(conditions);
    module.setTiming({workMs * 1000, workMs * 1000});
    TportPublisher publisher(ports.emulated());
    TptyModule pty(module, &publisher);
    pty.setWirePacing(Baud);
    // The line's bytes on time to the microsecond: the ratio is the program's and the pty's,
    // not that of the emulator's timers, which end 40 to 50 us late here, twice a turn.
    pty.setExactTiming(true);
    if (publisher.claim(ComNumber) != ComNumber || !pty.plug()) {
        state.SkipWithError("no pty");
        return;
    }
    Tsensor sensor;
    ReportSink sink;
    sensor.reserve(&sink, false);
    sensor.setN(N);
    sensor.start_searchCOM(ComName.c_str());
    if (!loop.runUntil([&] { return sink.reports > 0; }, 10'000) || sensor.link != 2) {
        state.SkipWithError("module not found");
        return;
    }
    const double bound = static_cast<double>(measurementBytes(conditions, N)) * ByteSeconds +
                         (N + 1) * workMs * 1e-3;
    std::vector<double> ratios;
    for (auto _ : state) {
        const int before = sink.reports;
        const auto start = Clock::now();
        sensor.start_measure();
        loop.runUntil([&] { return sink.reports > before; }, 10'000);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        ratios.push_back(elapsed / bound);
        if (sink.last != SEQUENCE_SUCCESS || sensor.pressure > 2000) {
            state.SkipWithError("measurement failed");
            return;
        }
    }
    state.counters["bound_ms"] = bound * 1e3;
    // The mean, and the median, which a measurement that the machine held up for some ms
    // does not move. The loop above ran at least once.
    const auto middle = ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2);
    state.counters["ratio"] =
        std::accumulate(ratios.begin(), ratios.end(), 0.0) / static_cast<double>(ratios.size());
    std::nth_element(ratios.begin(), middle, ratios.end());
    state.counters["ratio_median"] = *middle;
}
BENCHMARK(SerialMeasurementN8)
    ->Arg(0)
    ->Arg(10)
    ->Arg(70)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);

double seconds(const timespec& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double cpuSeconds(clockid_t clock) {
    timespec t{};
    ::clock_gettime(clock, &t);
    return seconds(t);
}

// A bare pty published as an emulated port; the benchmark writes its master side.
class RawPty {
public:
    explicit RawPty(const std::string& directory) : publisher(directory) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128];
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
            ::ptsname_r(master, name, sizeof name) != 0)
            return;
        keeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio{};
        if (keeper < 0 || ::tcgetattr(keeper, &tio) != 0) return;
        ::cfmakeraw(&tio);
        ::tcsetattr(keeper, TCSANOW, &tio);
        ok = publisher.claim(ComNumber) == ComNumber && publisher.publish(name);
    }
    ~RawPty() {
        if (keeper >= 0) ::close(keeper);
        if (master >= 0) ::close(master);
    }
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;
    // Writes the bytes one at a time, each at its own time on a 38400-baud line from now on,
    // and returns the CPU time this thread spent doing so.
    double writePaced(const std::vector<std::uint8_t>& bytes) const {
        const double cpuStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        timespec due{};
        ::clock_gettime(CLOCK_MONOTONIC, &due);
        for (const std::uint8_t byte : bytes) {
            due.tv_nsec += static_cast<long>(ByteSeconds * 1e9);
            if (due.tv_nsec >= 1'000'000'000L) {
                due.tv_nsec -= 1'000'000'000L;
                ++due.tv_sec;
            }
            ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
            if (::write(master, &byte, 1) != 1) break;
        }
        return cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
    }
    bool ok = false;

private:
    TportPublisher publisher;
    int master = -1;
    int keeper = -1; // keeps the slave open while the port is not
};

// Owner of the frame layer: takes every frame, checks it and stops the loop at the last one.
class FrameCounter : public TeventResource {
public:
    FrameCounter(Tbolep_resource& frames, const std::vector<std::uint8_t>& payload)
        : bolep(frames), expected(payload) {
        bolep.reserve(this, false);
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    }
    void OnNotification(TeventResource*, std::int32_t code) override {
        if (code == 12) opened = true;
        if (code != 10) return;
        const std::uint8_t* frame = bolep.frame();
        if (frame && std::equal(expected.begin(), expected.end(), frame + 1) &&
            frame[0] == expected.size())
            ++frames;
        else
            ++wrong;
        bolep.consumeFrame();
        if (frames >= target) loop.quit();
    }
    // Runs the Qt loop until `target` good frames in all, or `ms` have passed.
    bool runUntil(std::int64_t frameTarget, int ms) {
        target = frameTarget;
        if (frames >= target) return true;
        timeout.start(ms);
        loop.exec();
        timeout.stop();
        return frames >= target;
    }
    Tbolep_resource& bolep;
    std::vector<std::uint8_t> expected; // the payload with its checksum
    bool opened = false;
    std::int64_t frames = 0;
    std::int64_t wrong = 0;
    std::int64_t target = 0;
    QEventLoop loop;
    QTimer timeout;
};

// A reply of command C, its data bytes unlike any frame byte.
std::vector<std::uint8_t> replyPayload() {
    std::vector<std::uint8_t> payload{'c', 0x5A, 0x31, 0x02, 0x6B, 0x10, 0x44};
    std::uint8_t sum = 0;
    for (const std::uint8_t b : payload)
        sum = static_cast<std::uint8_t>(sum + b);
    payload.push_back(static_cast<std::uint8_t>(~sum));
    return payload;
}

// Frames arrive at the line rate, one byte every 260 us, through the program's own loop (the
// signal window in a Qt event loop) into the frame layer. The CPU time of the process, less
// that of the thread that writes the line, is the cost of receiving.
void ReceiveHandOffPerByte(benchmark::State& state) {
    const auto framesPerIteration = state.range(0);
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    PortDirectory ports;
    TSignalForm signalForm;
    RawPty pty(ports.emulated());
    if (!pty.ok) {
        state.SkipWithError("no pty");
        return;
    }
    const std::vector<std::uint8_t> payload = replyPayload();
    std::vector<std::uint8_t> payloadWithLength{static_cast<std::uint8_t>(payload.size())};
    payloadWithLength.insert(payloadWithLength.end(), payload.begin(), payload.end());
    std::uint8_t encoded[Tbolep_resource::MaxEncoded];
    const int frameLength = Tbolep_resource::encodeFrame(payloadWithLength.data(), encoded);
    std::vector<std::uint8_t> line;
    for (std::int64_t i = 0; i < framesPerIteration; ++i)
        line.insert(line.end(), encoded, encoded + frameLength);

    Tbolep_resource bolep;
    bolep.expectPayload(static_cast<int>(payload.size())); // as the sensor does for C's reply
    FrameCounter counter(bolep, payload);
    bolep.open(ComName.c_str(), Baud, 0);
    QElapsedTimer opening;
    opening.start();
    while (!counter.opened && opening.elapsed() < 5'000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!counter.opened) {
        state.SkipWithError("port not opened");
        return;
    }
    double wall = 0;
    double cpu = 0;
    for (auto _ : state) {
        const std::int64_t target = counter.frames + framesPerIteration;
        double writerCpu = 0;
        const double cpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        const auto start = Clock::now();
        std::thread writer([&] { writerCpu = pty.writePaced(line); });
        const bool all = counter.runUntil(target, 10'000);
        writer.join();
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        cpu += cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart - writerCpu;
        if (!all || counter.wrong != 0) {
            state.SkipWithError("frames lost or damaged");
            return;
        }
        state.SetIterationTime(elapsed);
        wall += elapsed;
    }
    bolep.getSerial()->close();
    const auto total = static_cast<double>(state.iterations()) * static_cast<double>(line.size());
    state.SetItemsProcessed(static_cast<std::int64_t>(total));
    state.counters["bytes"] = total;
    state.counters["wall_share_of_wire"] = wall / total / ByteSeconds;
    state.counters["cpu_per_byte_us"] = 1e6 * cpu / total;
    state.counters["cpu_share_of_wire"] = cpu / total / ByteSeconds;
}
BENCHMARK(ReceiveHandOffPerByte)
    ->Arg(400)
    ->Iterations(3)
    ->UseManualTime()
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
