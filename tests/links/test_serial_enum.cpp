#include "links/PortAccess.h"
#include "links/SerialTestSupport.h"
#include "links/Serial_enum.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A fake sysfs and /dev: tty entries with or without a device behind them, device nodes as
// plain files, and an emulated-port directory.
class FakeTree : public ::testing::Test {
protected:
    FakeTree() {
        roots.sysfs = tmp.path + "/sys";
        roots.dev = tmp.path + "/dev";
        roots.emulated = tmp.path + "/emu";
        fs::create_directories(roots.dev);
        fs::create_directories(roots.emulated);
        fs::permissions(roots.emulated, fs::perms::owner_all, fs::perm_options::replace);
    }
    // A tty with a device behind it; uartType < 0 writes no "type" attribute.
    void addTty(const std::string& name, bool node = true, int uartType = -1,
                bool hardware = true) {
        const std::string dir = roots.sysfs + "/class/tty/" + name;
        fs::create_directories(hardware ? dir + "/device" : dir);
        if (uartType >= 0) std::ofstream(dir + "/type") << uartType << "\n";
        if (node) std::ofstream(roots.dev + "/" + name);
    }
    // An emulated port, its lock held as by a running emulator unless `running` is false.
    void addEmulated(int com, const std::string& target, bool running = true) {
        const std::string link = roots.emulated + "/COM" + std::to_string(com);
        fs::create_symlink(target, link);
        if (running) locks.hold(link);
    }
    EmulatorLocks locks;
    std::vector<int> presentPorts() {
        Tserial_enum ports(roots);
        ports.enumerate();
        std::vector<int> found;
        for (int n = 0; n < 256; ++n)
            if (ports.present[n]) found.push_back(n);
        return found;
    }

    TempDir tmp;
    TserialRoots roots;
};

TEST_F(FakeTree, LegacyPortsNeedARealUart) {
    addTty("ttyS0", true, 4);        // 16550A
    addTty("ttyS1", true, 0);        // no UART at that address
    addTty("ttyS2", true, -1);       // no type attribute, and the node is no tty
    addTty("ttyS3", true, 4, false); // no device behind it
    EXPECT_EQ(presentPorts(), std::vector<int>{1});
}

TEST_F(FakeTree, FamiliesMapToFixedRangesAndGapsHideNothing) {
    addTty("ttyUSB0");
    addTty("ttyUSB2"); // ttyUSB1 unplugged
    addTty("ttyACM0");
    addTty("ttyACM1", false); // sysfs entry without its node
    addTty("ttyAMA3");
    addTty("ttyUSB31");
    addTty("ttyUSB32"); // beyond the family's 32 numbers
    EXPECT_EQ(presentPorts(), (std::vector<int>{33, 35, 64, 65, 100}));
}

TEST_F(FakeTree, EmulatedPortsAppearInTheirRangeWhileTheirTargetExists) {
    addEmulated(241, "/dev/null");
    addEmulated(243, tmp.path + "/gone"); // target vanished
    addEmulated(255, "/dev/null");
    fs::create_symlink("/dev/null", roots.emulated + "/COM240"); // outside the range
    EXPECT_EQ(presentPorts(), (std::vector<int>{241, 255}));
}

TEST_F(FakeTree, ALinkLeftByAKilledEmulatorIsIgnored) {
    addEmulated(241, "/dev/null", false);
    std::ofstream(roots.emulated + "/COM241.lock"); // its lock file, held by nobody
    addEmulated(242, "/dev/null");
    EXPECT_EQ(presentPorts(), (std::vector<int>{242}));
}

TEST_F(FakeTree, EmulatedDirectoryOthersCanWriteToIsIgnored) {
    addEmulated(241, "/dev/null");
    fs::permissions(roots.emulated, fs::perms::group_write, fs::perm_options::add);
    EXPECT_TRUE(presentPorts().empty());
}

TEST_F(FakeTree, EveryEnumerationStartsFromAnEmptyTable) {
    addTty("ttyUSB0");
    addTty("ttyUSB1");
    Tserial_enum ports(roots);
    ports.present[0] = 1;
    ports.present[200] = 1;
    ports.enumerate();
    EXPECT_EQ(ports.present[0], 0);
    EXPECT_EQ(ports.present[200], 0);
    EXPECT_EQ(ports.present[34], 1);
    fs::remove(roots.dev + "/ttyUSB1");
    ports.enumerate();
    EXPECT_EQ(ports.present[33], 1);
    EXPECT_EQ(ports.present[34], 0);
}

TEST(ComNames, MapToTheirFamilyDevice) {
    TserialRoots roots;
    roots.dev = "/d";
    roots.emulated = "/e";
    EXPECT_EQ(comDevicePath("COM1", roots), "/d/ttyS0");
    EXPECT_EQ(comDevicePath("COM32", roots), "/d/ttyS31");
    EXPECT_EQ(comDevicePath("COM33", roots), "/d/ttyUSB0");
    EXPECT_EQ(comDevicePath("COM96", roots), "/d/ttyACM31");
    EXPECT_EQ(comDevicePath("COM97", roots), "/d/ttyAMA0");
    EXPECT_EQ(comDevicePath("COM128", roots), "/d/ttyAMA31");
    EXPECT_EQ(comDevicePath("COM241", roots), "/e/COM241");
    EXPECT_EQ(comDevicePath("COM255", roots), "/e/COM255");
}

TEST(ComNames, OutsideTheSchemeMapToNothing) {
    TserialRoots roots;
    for (const char* name : {"COM129", "COM240", "COM0", "COM256", "COM3x", "COM", "COM03", "LPT1",
                             "COM-1", "COM99999999999", ""})
        EXPECT_EQ(comDevicePath(name, roots), "") << name;
    EXPECT_EQ(comDevicePath(nullptr, roots), "");
}

// Why a port could not be opened, in the words of the logs; a device that is not there keeps no
// problem, so that its search still says "not found".
TEST(PortAccess, ProblemsAreSaidInTheLogsWords) {
    TempDir tmp;
    const std::string shared = tmp.path + "/shared", closed = tmp.path + "/closed";
    std::ofstream(shared) << "x";
    std::ofstream(closed) << "x";
    ::chmod(shared.c_str(), 0660);
    ::chmod(closed.c_str(), 0600);
    // What the log says, and what is kept for the search: an absent device keeps nothing.
    const struct {
        int error;
        std::string path, said, kept;
    } cases[] = {{EBUSY, shared, "busy", "busy"},
                 {EWOULDBLOCK, shared, "busy", "busy"},
                 {EACCES, shared, "permission denied", "permission denied"}, // our own group
                 {EACCES, closed, "permission denied", "permission denied"},
                 {EIO, shared, std::strerror(EIO), std::strerror(EIO)},
                 {ENOENT, shared, std::strerror(ENOENT), ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(openProblem(c.error, c.path), c.said) << c.error << " " << c.path;
        notePortOpen("COM9", c.error, c.path);
        EXPECT_EQ(portProblem("COM9"), c.kept) << c.error;
    }
    const group* dialout = ::getgrnam("dialout");
    if (::geteuid() == 0 && dialout && ::chown(shared.c_str(), 0, dialout->gr_gid) == 0) {
        EXPECT_EQ(openProblem(EACCES, shared), "permission denied: not in the dialout group");
    }
}

} // namespace
