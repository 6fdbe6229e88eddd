#include "emulator/PtyModule.h"

#include "emulator/PortPublisher.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace {

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
    if (publisher && isPlugged()) publisher->withdraw();
    closeFd(master);
    closeFd(slaveKeeper);
    closeFd(stopFd);
    slave.clear();
}

void TptyModule::run() {
    while (serve()) {
    }
}

// Waits for bytes from the program and answers them; false on the stop request or an error.
bool TptyModule::serve() {
    pollfd fds[2] = {{stopFd, POLLIN, 0}, {master, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) return errno == EINTR;
    if (fds[0].revents & POLLIN) return false;
    if (fds[1].revents & (POLLERR | POLLNVAL)) return false;
    if (!(fds[1].revents & POLLIN)) return true;
    std::uint8_t buffer[256];
    const ssize_t got = ::read(master, buffer, sizeof buffer);
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    std::vector<std::uint8_t> reply;
    module.receive(buffer, static_cast<std::size_t>(got), reply);
    return writeAll(reply);
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
