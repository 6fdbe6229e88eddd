#pragma once

#include "emulator/SerialModule.h"

#include <atomic>
#include <string>
#include <thread>

class TportPublisher;

// Runs a serial module on the master side of a pty in its own thread; the program opens the
// slave side as its serial port. Unplugging closes the pty, as pulling a USB-serial adapter
// removes its device; plugging back creates a new one (and republishes it).
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

    bool isPlugged() const { return master >= 0; }
    // The device the program opens, e.g. "/dev/pts/3"; empty while unplugged.
    const std::string& slavePath() const { return slave; }

private:
    void run();
    bool serve();
    bool writeAll(const std::vector<std::uint8_t>& bytes);

    TserialModule& module;
    TportPublisher* publisher;
    int master = -1;
    int slaveKeeper = -1; // keeps the slave side open, so the master never sees a hang-up
    int stopFd = -1;
    std::string slave;
    std::thread worker;
};
