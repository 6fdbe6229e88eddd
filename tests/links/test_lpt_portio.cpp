#include "links/PortIO.h"
#include "support/CaptureLog.h"

#include <gtest/gtest.h>

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
    TppdevPortIO port("/dev/null");
    EXPECT_EQ(port.read(LPT1_STATUS), TppdevPortIO::OpenLine);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(log.lines,
              std::vector<std::string>{"LPT1: /dev/null: Inappropriate ioctl for device"});
}
