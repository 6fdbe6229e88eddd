#pragma once

#include "emulator/SerialModule.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <termios.h>
#include <thread>

class TportPublisher;

// Runs a serial module on the master side of a pty in its own thread; the program opens the
// slave side as its serial port. Unplugging closes the pty, as pulling a USB-serial adapter
// removes its device; plugging back creates a new one (and republishes it).
//
// A pty moves bytes at once. With wire pacing on, the module takes each byte from the program
// only when it would have arrived over a line of that baud rate (10 bits a byte: start, 8 data
// bits, stop) and sends its replies at the same rate; the module's working time (see
// TmoduleTiming) passes between the end of a command and the start of its reply either way.
class TptyModule {
public:
    // The publisher, when given, is told every new slave device and every unplug.
    explicit TptyModule(TserialModule& module, TportPublisher* publisher = nullptr);
    ~TptyModule();
    TptyModule(const TptyModule&) = delete;
    TptyModule& operator=(const TptyModule&) = delete;

    // Opens a pty and starts answering; false when no pty could be had.
    bool plug();
    // Stops answering and closes the pty.
    void unplug();

    // Baud rate of the emulated line, 0 for no pacing; set it while unplugged.
    void setWirePacing(std::int32_t baud);
    // Duration of one byte on the line, 0 without pacing.
    std::chrono::nanoseconds byteTime() const { return perByte; }
    // On: each of the module's waits ends on the clock to the microsecond, as a line's bytes
    // come, by watching the clock through its last 100 us (yielding to any other thread that
    // wants the core); off (the default): on a timer alone, which ends tens of microseconds late
    // on a virtual machine. Costs CPU; for measuring a program against the wire time. Set it
    // while unplugged.
    void setExactTiming(bool on) { spinNs = on ? ExactSpin : std::chrono::nanoseconds(0); }

    bool isPlugged() const { return master >= 0; }
    // The device the program opens, e.g. "/dev/pts/3"; empty while unplugged.
    const std::string& slavePath() const { return slave; }
    // The line settings of the device as the program left them; false while unplugged.
    bool lineSettings(termios& tio) const;

    // Whether the module waits for the program with nothing in hand: no command being taken or
    // worked on, no reply being sent (always true while unplugged). A waiter that reads
    // wakeCount() before and after, and sees it unchanged, knows the module waited throughout.
    bool isWaiting() const { return waiting.load(); }
    std::uint64_t wakeCount() const { return wakes.load(); }
    // Bytes in the pty either way: sent by the program and not yet taken by the module, or
    // sent by the module and not yet taken by the program's reader.
    bool holdsBytes() const;

private:
    void run();
    using Clock = std::chrono::steady_clock;

    bool serve();
    bool handle(const std::uint8_t* bytes, std::size_t count);
    bool answer(const std::vector<std::uint8_t>& reply);
    bool writeAll(const std::vector<std::uint8_t>& bytes);
    // Sleeps until `deadline`, its last spinNs watching the clock; false when asked to stop.
    bool waitUntil(Clock::time_point deadline);

    TserialModule& module;
    TportPublisher* publisher;
    int master = -1;
    int slaveKeeper = -1; // keeps the slave side open, so the master never sees a hang-up
    int stopFd = -1;
    std::string slave;
    std::thread worker;
    std::chrono::nanoseconds perByte{0};
    static constexpr std::chrono::nanoseconds ExactSpin{100'000};
    std::chrono::nanoseconds spinNs{0}; // the end of each wait spent on the clock
    Clock::time_point rxWire{}; // end of the last byte from the program on the emulated line
    Clock::time_point txWire{}; // end of the last byte to the program
    std::atomic<bool> waiting{true};
    std::atomic<std::uint64_t> wakes{0};
};
