#pragma once

#include "links/Serial_enum.h"
#include "support/TempDir.h"
#include "support/Threads.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

// Holds COMn.lock beside an emulated port's link, as a running emulator does.
class EmulatorLocks {
public:
    EmulatorLocks() = default;
    ~EmulatorLocks() {
        for (const int fd : fds)
            ::close(fd);
    }
    EmulatorLocks(const EmulatorLocks&) = delete;
    EmulatorLocks& operator=(const EmulatorLocks&) = delete;
    void hold(const std::string& linkPath) {
        const int fd = ::open((linkPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) fds.push_back(fd);
    }

private:
    std::vector<int> fds;
};

// Points the serial roots at a temporary emulated-port directory for the test's lifetime.
class FakeEmulatedRoots {
public:
    FakeEmulatedRoots() : previous(serialRoots()) {
        TserialRoots roots = previous;
        roots.emulated = dir.path;
        setSerialRoots(roots);
    }
    ~FakeEmulatedRoots() { setSerialRoots(previous); }
    FakeEmulatedRoots(const FakeEmulatedRoots&) = delete;
    FakeEmulatedRoots& operator=(const FakeEmulatedRoots&) = delete;

    // Makes COMn name `target`, published as by a running emulator.
    void link(int com, const std::string& target) {
        const std::string name = dir.path + "/COM" + std::to_string(com);
        ::unlink(name.c_str());
        [[maybe_unused]] const int rc = ::symlink(target.c_str(), name.c_str());
        locks.hold(name);
    }

    TempDir dir;

private:
    EmulatorLocks locks;
    TserialRoots previous;
};

// A pty whose master side the test drives byte by byte.
class RawPty {
public:
    RawPty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        char name[128] = {};
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
            ::ptsname_r(master, name, sizeof name) != 0)
            return;
        slave = name;
        keeper = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios tio{};
        ::tcgetattr(keeper, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(keeper, TCSANOW, &tio);
    }
    ~RawPty() { hangUp(); }
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;

    void write(const std::vector<std::uint8_t>& bytes) const {
        [[maybe_unused]] const ssize_t put = ::write(master, bytes.data(), bytes.size());
    }
    // Collects what arrives until `count` bytes are there or `ms` have passed.
    std::vector<std::uint8_t> read(std::size_t count, int ms) const {
        std::vector<std::uint8_t> got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd fd{master, POLLIN, 0};
            if (::poll(&fd, 1, 10) <= 0) continue;
            std::uint8_t buffer[512];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }
    // Closes both sides, as a pulled USB adapter does.
    void hangUp() {
        if (keeper >= 0) ::close(keeper);
        if (master >= 0) ::close(master);
        keeper = master = -1;
    }

    int master = -1;
    int keeper = -1;
    std::string slave;
};
