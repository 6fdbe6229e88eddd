#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

// What the whole-program benchmarks share: a private working directory with a settings file,
// an emulated serial module in a child process (so that its CPU time is not the program's) and
// readings of the process's own costs.
namespace bench {

// A fresh directory under /tmp holding "setup.ini" (the given lines) and an empty device tree;
// becomes the current directory. Removed again by the destructor.
class TworkDir {
public:
    explicit TworkDir(const std::string& settingsLines);
    ~TworkDir();
    TworkDir(const TworkDir&) = delete;
    TworkDir& operator=(const TworkDir&) = delete;

    // Empty sysfs and dev trees and a private emulated-port directory: the port search sees
    // nothing but what is published there.
    void useOwnSerialRoots() const;
    std::string emulatedDir() const { return path + "/emu"; }

private:
    std::string path;
    std::string previous;
};

// Forks a process that plays a serial module on a pty published in `emulatedDir`, at the wire
// rate of 38400 baud, with the emulator's weather scenario; the module dies with the calling
// process. Call before any thread is started. Returns the child's pid; `com`, when given, receives
// the COM number it was published under (0 when it could not be).
pid_t forkModuleEmulator(const std::string& emulatedDir, int* com = nullptr);
void stopModuleEmulator(pid_t child);

// User plus system CPU seconds of this process (all its threads).
double cpuSeconds();
// Resident and peak resident set size of this process, in KiB.
long residentKiB();
long peakResidentKiB();
// The same of another process of this user (0 when it is gone).
double cpuSecondsOf(pid_t pid);
long residentKiBOf(pid_t pid);
long peakResidentKiBOf(pid_t pid);
// How long a whole-program benchmark measures, read from --span, --warmup, --every, --n,
// --paints and --chart (0 or 1).
struct TspanOptions {
    double span = 300;   // measured seconds
    double warmup = 30;  // seconds of measuring before the span starts
    double every = 30;   // seconds between two readings in the table
    int n = 1;           // conversions per sample
    bool paints = false; // count the paint events of every control (costs CPU time itself)
    bool chart = true;   // the chart window shown
};
// False for an option it does not know or a value out of range.
bool parseSpanOptions(int argc, char** argv, TspanOptions& options);

// Seconds on the monotonic clock.
double monotonicSeconds();

} // namespace bench
