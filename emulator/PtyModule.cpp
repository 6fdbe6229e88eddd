#include "emulator/PtyModule.h"

#include "emulator/PortPublisher.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Whether a read would find bytes. A pty hands written bytes on to its other side a little
// later, and poll waits for that hand-over when it finds nothing yet.
bool readable(int fd) {
    pollfd pfd{fd, POLLIN, 0};
    return fd >= 0 && ::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN);
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

} // namespace

TptyModule::TptyModule(TserialModule& serialModule, TportPublisher* portPublisher)
    : module(serialModule), publisher(portPublisher) {}

TptyModule::~TptyModule() {
    unplug();
}

bool TptyModule::plug() {
    if (isPlugged()) return true;
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128];
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        closeFd(master);
        return false;
    }
    slave = name;
    slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    termios tio{};
    if (slaveKeeper < 0 || stopFd < 0 || ::tcgetattr(slaveKeeper, &tio) != 0) {
        unplug();
        return false;
    }
    // Raw until the program sets its own line settings: no echo of the replies, no line editing.
    ::cfmakeraw(&tio);
    ::tcsetattr(slaveKeeper, TCSANOW, &tio);
    waiting.store(false);
    worker = std::thread(&TptyModule::run, this);
    if (publisher) publisher->publish(slave);
    return true;
}

void TptyModule::unplug() {
    if (worker.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t put = ::write(stopFd, &one, sizeof one);
        worker.join();
    }
    waiting.store(true);
    if (publisher && isPlugged()) publisher->withdraw();
    closeFd(master);
    closeFd(slaveKeeper);
    closeFd(stopFd);
    slave.clear();
}

void TptyModule::setWirePacing(std::int32_t baud) {
    perByte =
        baud > 0 ? std::chrono::nanoseconds(10'000'000'000LL / baud) : std::chrono::nanoseconds(0);
}

void TptyModule::run() {
    while (serve()) {
    }
}

// Waits for bytes from the program and answers them; false on the stop request or an error.
bool TptyModule::serve() {
    pollfd fds[2] = {{stopFd, POLLIN, 0}, {master, POLLIN, 0}};
    waiting.store(true);
    const int ready = ::poll(fds, 2, -1);
    wakes.fetch_add(1);
    waiting.store(false);
    if (ready < 0) return errno == EINTR;
    if (fds[0].revents & POLLIN) return false;
    if (fds[1].revents & (POLLERR | POLLNVAL)) return false;
    if (!(fds[1].revents & POLLIN)) return true;
    std::uint8_t buffer[256];
    const ssize_t got = ::read(master, buffer, sizeof buffer);
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    return handle(buffer, static_cast<std::size_t>(got));
}

// Byte by byte, each at the end of its time on the line; a completed command is answered after
// the module's working time.
bool TptyModule::handle(const std::uint8_t* bytes, std::size_t count) {
    const Clock::time_point arrival = Clock::now();
    rxWire = std::max(rxWire, arrival);
    std::vector<std::uint8_t> reply;
    for (std::size_t i = 0; i < count; ++i) {
        rxWire += perByte;
        if (perByte.count() > 0 && !waitUntil(rxWire)) return false;
        module.receive(bytes + i, 1, reply);
        const std::chrono::microseconds work(module.takeWorkUs());
        if (work.count() > 0 && !waitUntil(Clock::now() + work)) return false;
        if (!reply.empty() && !answer(reply)) return false;
        reply.clear();
    }
    return true;
}

bool TptyModule::answer(const std::vector<std::uint8_t>& reply) {
    if (perByte.count() == 0) return writeAll(reply);
    txWire = std::max(txWire, Clock::now());
    for (std::uint8_t byte : reply) {
        txWire += perByte;
        if (!waitUntil(txWire) || !writeAll({byte})) return false;
    }
    return true;
}

bool TptyModule::waitUntil(Clock::time_point deadline) {
    for (;;) {
        const auto left = deadline - spinNs - Clock::now();
        if (left.count() <= 0) {
            while (Clock::now() < deadline)
                sched_yield();
            return true;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                               static_cast<long>(ns % 1'000'000'000)};
        pollfd stop{stopFd, POLLIN, 0};
        if (::ppoll(&stop, 1, &timeout, nullptr) > 0) return false;
    }
}

bool TptyModule::writeAll(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(master, bytes.data() + done, bytes.size() - done);
        if (put >= 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (errno != EAGAIN && errno != EINTR) return false;
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {master, POLLOUT, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return false;
        if (fds[0].revents & POLLIN) return false;
    }
    return true;
}

bool TptyModule::holdsBytes() const {
    return readable(master) || readable(slaveKeeper);
}

bool TptyModule::lineSettings(termios& tio) const {
    return slaveKeeper >= 0 && ::tcgetattr(slaveKeeper, &tio) == 0;
}
