#include "links/PortIO.h"

#include "core/Tdebug.h"
#include "links/PortAccess.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <utility>

TppdevPortIO::TppdevPortIO(std::string devicePath) : path(std::move(devicePath)) {}

TppdevPortIO::~TppdevPortIO() {
    if (fd < 0) return;
    ioctl(fd, PPRELEASE);
    close(fd);
}

// The lock comes first: claiming a port that another process has claimed would wait for it.
bool TppdevPortIO::open() {
    tried = true;
    fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    int error = fd < 0 ? errno : lockPort(fd);
    if (error == 0 && ioctl(fd, PPCLAIM) != 0) error = errno;
    notePortOpen("LPT1", error, path);
    if (error == 0) return true;
    if (fd >= 0) close(fd);
    fd = -1;
    debugPrint("LPT1: %s: %s", path.c_str(), openProblem(error, path).c_str());
    return false;
}

bool TppdevPortIO::isOpen() {
    return tried ? fd >= 0 : open();
}

std::uint8_t TppdevPortIO::read(std::uint16_t port) {
    unsigned char value = OpenLine;
    if (!isOpen()) return value;
    if (port == LPT1_DATA)
        ioctl(fd, PPRDATA, &value);
    else if (port == LPT1_STATUS)
        ioctl(fd, PPRSTATUS, &value);
    return value;
}

void TppdevPortIO::write(std::uint16_t port, std::uint8_t value) {
    if (port != LPT1_DATA || !isOpen()) return;
    unsigned char byte = value;
    ioctl(fd, PPWDATA, &byte);
}

namespace {
TportIO* installed = nullptr;
} // namespace

TportIO* portIO() {
    if (installed) return installed;
    static TppdevPortIO lpt1;
    return &lpt1;
}

void setPortIO(TportIO* io) {
    installed = io;
}
