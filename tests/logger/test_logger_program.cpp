// The logger program itself against the module emulator program on a real pty: options, the
// stop and reload signals and the data file they leave behind.
#include "LoggerProgram.h"
#include "Version.h"
#include "links/Serial_enum.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

TEST_F(LoggerProgram, ABadOptionExitsWithStatus2AndOneLineNamingIt) {
    const struct {
        std::vector<std::string> args;
        std::string option;
    } cases[] = {{{"--bogus"}, "--bogus"},
                 {{"--port", "COM0"}, "--port"},
                 {{"--data"}, "--data"},
                 {{"--settings", "a", "stray"}, "stray"}};
    for (const auto& c : cases) {
        ChildProcess run(CORV_LOGGER, c.args, dir.path, dir.file("bad.err"));
        EXPECT_EQ(run.wait(), 2) << c.option;
        const Lines err = textLines(readWhole(dir.file("bad.err")));
        ASSERT_EQ(err.size(), 1u) << c.option;
        EXPECT_NE(err[0].find(c.option), std::string::npos) << err[0];
        EXPECT_EQ(run.readLine(100), "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("samples.dat")));

    ChildProcess version(CORV_LOGGER, {"--version"}, dir.path, dir.file("version.err"));
    EXPECT_EQ(version.readLine(), std::string("corvasine-logger ") + CorvVersion);
    EXPECT_EQ(version.wait(), 0);
}

// The measurement takes some 400 ms at the wire rate after the TS wait of one second; the stop
// comes in the middle of it. The logger ends with status 0, the file ends with a whole line,
// and an existing file is appended to, neither overwritten nor given a second header. With no
// settings file yet, one line says the defaults are used, and no error is said.
TEST_F(LoggerProgram, SigtermDuringAMeasurementEndsCleanlyWithWholeLines) {
    startEmulator();
    std::FILE* old = std::fopen(dir.file("samples.dat").c_str(), "wb");
    ASSERT_NE(old, nullptr);
    std::fputs("# kept\r\n", old);
    std::fclose(old);
    startLogger();
    ASSERT_TRUE(waitForSamples("samples.dat", 3)) << loggerErrors();
    bool whole = false;
    const std::size_t seen = samples("samples.dat", whole).size();
    ASSERT_TRUE(waitForSamples("samples.dat", seen + 1)) << loggerErrors();
    std::this_thread::sleep_for(std::chrono::milliseconds(1150));
    logger->signal(SIGTERM);
    EXPECT_EQ(logger->wait(), 0) << loggerErrors();

    const Lines lines = crlfLines(readWhole(dir.file("samples.dat")), whole);
    EXPECT_TRUE(whole);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "# kept");
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "#    Datafile for Corvasine Halvorn Altimeter"), 0);
    for (const std::string& line : sampleLines(lines))
        EXPECT_TRUE(isWholeSample(line)) << line;
    const Lines err = textLines(loggerErrors());
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back().rfind("module found on " + port + " (", 0), 0u) << loggerErrors();
    EXPECT_EQ(std::count(err.begin(), err.end(),
                         "no settings file setup.ini: measuring with the defaults"),
              1);
    EXPECT_EQ(loggerErrors().find("Error"), std::string::npos) << loggerErrors();
}

// While another program holds the port the logger says it is busy, not "not found", and finds
// the module once the port is free. A logger killed with SIGKILL leaves the port free: the next
// one finds the module at once, as an ordinary user too, and ends cleanly on SIGINT. With
// --verbose the debug log says it too, with the device.
TEST_F(LoggerProgram, ABusyPortIsSaidAndOneLeftByAKilledLoggerOpensAgainAtOnce) {
    startEmulator();
    const std::string device = TserialRoots::defaultEmulatedDir() + "/" + port;
    const int holder = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    startLogger({"--verbose"});
    const auto said = [this](const std::string& line) {
        const Lines err = textLines(loggerErrors());
        return std::find(err.begin(), err.end(), line) != err.end();
    };
    for (int i = 0; i < 500 && !said(port + ": busy"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::close(holder);
    EXPECT_TRUE(said(port + ": busy")) << loggerErrors();
    EXPECT_TRUE(said(port + ": " + device + ": busy")) << loggerErrors(); // the debug log
    ASSERT_TRUE(waitForSamples("samples.dat", 1)) << loggerErrors();
    logger->signal(SIGKILL);
    logger->wait();
    bool whole = false;
    const std::size_t before = samples("samples.dat", whole).size();
    startLogger();
    ASSERT_TRUE(waitForSamples("samples.dat", before + 1)) << loggerErrors();
    EXPECT_EQ(textLines(loggerErrors()).back().rfind("module found on " + port, 0), 0u)
        << loggerErrors();
    logger->signal(SIGINT);
    EXPECT_EQ(logger->wait(), 0);
}

// Log rotation: the file is moved away, SIGHUP reopens the name, which starts a new file with
// its header, and the settings are read again (the new altitude is in the new header).
TEST_F(LoggerProgram, SighupAfterAMoveStartsANewFileWithItsHeaderAndNewSettings) {
    startEmulator();
    {
        std::FILE* settings = std::fopen(dir.file("setup.ini").c_str(), "wb");
        ASSERT_NE(settings, nullptr);
        std::fputs("set_altitude\t100\n", settings);
        std::fclose(settings);
    }
    startLogger();
    ASSERT_TRUE(waitForSamples("samples.dat", 2)) << loggerErrors();
    std::filesystem::rename(dir.file("samples.dat"), dir.file("samples.dat.1"));
    {
        std::FILE* settings = std::fopen(dir.file("setup.ini").c_str(), "wb");
        ASSERT_NE(settings, nullptr);
        std::fputs("set_altitude\t250\n", settings);
        std::fclose(settings);
    }
    logger->signal(SIGHUP);
    ASSERT_TRUE(waitForSamples("samples.dat", 2)) << loggerErrors();
    logger->signal(SIGTERM);
    EXPECT_EQ(logger->wait(), 0);

    bool whole = false;
    const Lines before = crlfLines(readWhole(dir.file("samples.dat.1")), whole);
    EXPECT_TRUE(whole);
    const Lines after = crlfLines(readWhole(dir.file("samples.dat")), whole);
    EXPECT_TRUE(whole);
    ASSERT_GT(after.size(), 31u);
    EXPECT_EQ(after[0], "#    Datafile for Corvasine Halvorn Altimeter");
    EXPECT_EQ(before[21], "#    Local Altitude = 100.000 [m]");
    EXPECT_EQ(after[21], "#    Local Altitude = 250.000 [m]");
    for (const Lines* file : {&before, &after})
        for (const std::string& line : sampleLines(*file))
            EXPECT_TRUE(isWholeSample(line)) << line;
    EXPECT_EQ(loggerErrors().find("Error"), std::string::npos) << loggerErrors();
}

// A data file that takes no more bytes ends the logger: a station that cannot keep its samples
// must not look as if it did. One line says why, the status is 1.
TEST_F(LoggerProgram, ADataFileThatCannotBeWrittenEndsTheLoggerWithStatus1) {
    startEmulator();
    logger = std::make_unique<ChildProcess>(
        CORV_LOGGER, std::vector<std::string>{"--port", port, "--data", "/dev/full", "--no-http"},
        dir.path, dir.file("logger.err"));
    EXPECT_EQ(logger->wait(20'000), 1) << loggerErrors();
    const Lines err = textLines(loggerErrors());
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back(), "Error : The data file /dev/full cannot be written (No space left on "
                          "device). Data logging has ended.");
}
