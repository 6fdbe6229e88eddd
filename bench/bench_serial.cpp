// The serial module over a pty, on the real clock:
//
// SerialMeasurementN8: one measurement of the sensor with N = 8 (command A, eight C, one D)
// against the emulated module pacing its bytes at 38400 baud and working a set time on C and D
// (the argument, in ms). "ratio" is the measured time over the least the line allows: every
// command and reply byte at 10 bits per byte plus the module's working time.
//
// ReceiveHandOffPerByte: bytes arriving as fast as the pty delivers them, read one at a time as
// the frame layer reads them: each byte is one code 3 to the loop thread, which takes it and
// asks for the next read. "share_of_wire" is the time per byte over one byte's time on a
// 38400-baud line; "cpu_share_of_wire" the same for the CPU time both threads spend per byte.
#include "core/Eventresource.h"
#include "core/RealtimeLoop.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "links/Serial_enum.h"
#include "links/Serial_resource.h"
#include "measurement/Tsensor.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
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
    double ratios = 0;
    for (auto _ : state) {
        const int before = sink.reports;
        const auto start = Clock::now();
        sensor.start_measure();
        loop.runUntil([&] { return sink.reports > before; }, 10'000);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        ratios += elapsed / bound;
        if (sink.last != SEQUENCE_SUCCESS || sensor.pressure > 2000) {
            state.SkipWithError("measurement failed");
            return;
        }
    }
    state.counters["bound_ms"] = bound * 1e3;
    state.counters["ratio"] = benchmark::Counter(ratios, benchmark::Counter::kAvgIterations);
}
BENCHMARK(SerialMeasurementN8)
    ->Arg(0)
    ->Arg(10)
    ->Arg(70)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);

// CPU time of the whole process (both threads) in seconds.
double processCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Takes every byte as the frame layer does: one at a time, then the next read.
class ByteTaker : public TeventResource {
public:
    explicit ByteTaker(Tserial_resource& port) : serial(port) {}
    void OnNotification(TeventResource*, std::int32_t code) override {
        if (code == 0) opened = true;
        if (code != 3) return;
        received += serial.rxCount();
        serial.requestRead();
    }
    Tserial_resource& serial;
    bool opened = false;
    std::int64_t received = 0;
};

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
    bool writeAll(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(master, bytes.data() + done, bytes.size() - done);
            if (put <= 0) return false;
            done += static_cast<std::size_t>(put);
        }
        return true;
    }
    bool ok = false;

private:
    TportPublisher publisher;
    int master = -1;
    int keeper = -1; // keeps the slave open while the port is not
};

void ReceiveHandOffPerByte(benchmark::State& state) {
    const auto block = static_cast<std::size_t>(state.range(0));
    PortDirectory ports;
    TrealtimeLoop loop;
    RawPty pty(ports.emulated());
    if (!pty.ok) {
        state.SkipWithError("no pty");
        return;
    }
    Tserial_resource serial("com_bench");
    ByteTaker taker(serial);
    serial.reserve(&taker, false);
    serial.setReadSize(1);
    if (serial.open(ComName.c_str(), Baud, 0, 8, false, false) != Tserial_resource::OpenOk ||
        !loop.runUntil([&] { return taker.opened; }, 5'000)) {
        state.SkipWithError("port not opened");
        return;
    }
    const std::vector<std::uint8_t> bytes(block, 0x55);
    double seconds = 0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        const std::int64_t target = taker.received + static_cast<std::int64_t>(block);
        const auto start = Clock::now();
        pty.writeAll(bytes);
        if (!loop.runUntil([&] { return taker.received >= target; }, 10'000)) {
            state.SkipWithError("bytes lost");
            return;
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    const double cpu = processCpuSeconds() - cpuStart;
    serial.close();
    const auto total = static_cast<double>(state.iterations()) * static_cast<double>(block);
    state.SetItemsProcessed(static_cast<std::int64_t>(total));
    state.counters["per_byte_us"] = 1e6 * seconds / total;
    state.counters["share_of_wire"] = seconds / total / ByteSeconds;
    state.counters["cpu_per_byte_us"] = 1e6 * cpu / total;
    state.counters["cpu_share_of_wire"] = cpu / total / ByteSeconds;
}
BENCHMARK(ReceiveHandOffPerByte)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
