#include "links/PortAccess.h"
#include "links/PortIO.h"
#include "support/CaptureLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// No parallel port here: while armed, the next claim makes its descriptor one, with a status
// register the test sets and a data register that keeps what is written.
struct FakeParport {
    bool armed = false;
    int fd = -1;
    unsigned char status = 0;
    unsigned char data = 0;
} parport;

// A device of the test's own: /dev/null is every program's, and so is its lock, which a test
// beside this one may hold.
struct OwnDevice {
    OwnDevice() { ::close(::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600)); }
    TempDir dir;
    std::string path = dir.file("parport0");
};
} // namespace

// Every ioctl of this test program passes here; all but the fake port's go to the kernel.
extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (parport.armed && request == PPCLAIM) {
        parport.fd = fd;
        return 0;
    }
    if (fd >= 0 && fd == parport.fd) {
        auto* byte = static_cast<unsigned char*>(arg);
        switch (request) {
        case PPRSTATUS: *byte = parport.status; return 0;
        case PPRDATA: *byte = parport.data; return 0;
        case PPWDATA: parport.data = *byte; return 0;
        case PPRELEASE: parport.fd = -1; return 0;
        default: break;
        }
    }
    return static_cast<int>(::syscall(SYS_ioctl, fd, request, arg));
}

TEST(PpdevPortIO, MissingDeviceReadsAnOpenLineAndSaysWhyOnce) {
    TcaptureLog log;
    TppdevPortIO port("/nonexistent/parport0");
    EXPECT_TRUE(log.lines.empty()); // nothing is opened before the first access
    port.write(LPT1_DATA, 0xFD);
    EXPECT_EQ(port.read(LPT1_STATUS), TppdevPortIO::OpenLine);
    EXPECT_EQ(port.read(LPT1_DATA), TppdevPortIO::OpenLine);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(log.lines,
              std::vector<std::string>{"LPT1: /nonexistent/parport0: No such file or directory"});
}

TEST(PpdevPortIO, DeviceThatIsNoParallelPortIsRefusedAtTheClaim) {
    TcaptureLog log;
    const OwnDevice device;
    TppdevPortIO port(device.path);
    EXPECT_EQ(port.read(LPT1_STATUS), TppdevPortIO::OpenLine);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(log.lines, std::vector<std::string>{"LPT1: " + device.path +
                                                  ": Inappropriate ioctl for device"});
}

// Another program's lock keeps the device from this one before anything claims it.
TEST(PpdevPortIO, DeviceLockedByAnotherProgramIsBusy) {
    TcaptureLog log;
    const OwnDevice device;
    const int holder = ::open(device.path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    parport = {true, -1, 0x5A, 0};
    TppdevPortIO port(device.path);
    EXPECT_FALSE(port.isOpen());
    parport.armed = false;
    ::close(holder);
    EXPECT_EQ(log.lines, std::vector<std::string>{"LPT1: " + device.path + ": busy"});
    EXPECT_EQ(portProblem("LPT1"), "busy");
}

TEST(PpdevPortIO, ClaimedDeviceReadsBothRegistersAndWritesOnlyData) {
    TcaptureLog log;
    const OwnDevice device;
    parport = {true, -1, 0x5A, 0};
    {
        TppdevPortIO port(device.path);
        EXPECT_TRUE(port.isOpen());
        port.write(LPT1_DATA, 0xA5);
        port.write(LPT1_STATUS, 0x11); // the status register takes nothing
        EXPECT_EQ(port.read(LPT1_STATUS), 0x5A);
        EXPECT_EQ(port.read(LPT1_DATA), 0xA5);
    }
    EXPECT_EQ(parport.fd, -1); // released with the port
    parport.armed = false;
    EXPECT_TRUE(log.lines.empty());
}
