#include "charts/DataLog.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "measurement/ParameterAccess.h"
#include "support/CaptureLog.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class TfakeParameters : public TparameterAccess {
public:
    double getParameter(int code) override {
        reads.push_back(code);
        switch (code) {
        case 1: return 8;
        case 2: return 1;
        case 3: return 500;
        case 8: return 58.5958;
        default: return 0;
        }
    }
    void setParameter(int, double) override {}
    void getCalibration(Tsensor_wc* out) override {
        reads.push_back(0);
        out->W1 = 0x1a2b;
        out->W2 = 0xffff;
        out->W3 = 0x80;
        out->W4 = -1;
        out->C1 = 23470;
        out->C2 = -5;
        out->C3 = 700;
        out->C4 = 600;
        out->C5 = 1000;
        out->C6 = 50;
    }
    void setCalibration(const Tsensor_wc*) override {}
    std::vector<int> reads; // 0 stands for the calibration
};

const TlogSample longSample{31250, 27500, 21.457, 1013.254, 123.4, 45.678, 20.1};

class DataLog : public ::testing::Test {
protected:
    void SetUp() override {
        theSystem.prompts = &prompts;
        theSystem.parameters = &parameters;
    }
    void TearDown() override {
        theSystem.prompts = nullptr;
        theSystem.parameters = nullptr;
    }
    // Date-time texts from 20.02.2001 10:44:55 on, one second further per call.
    std::string next() {
        const int second = 55 + calls++;
        char text[32];
        std::snprintf(text, sizeof text, "20.02.2001 10:%02d:%02d", 44 + second / 60, second % 60);
        return text;
    }
    bool begin(TdataLog& log) {
        prompts.fileNames.push_back(path);
        return log.begin();
    }

    TempDir temp;
    std::string dir = temp.path, path = temp.file("samples.dat");
    TscriptedPrompts prompts;
    TfakeParameters parameters;
    int calls = 0;
};

} // namespace

TEST_F(DataLog, WritesHeaderAndLinesByteForByte) {
    TdataLog log([this] { return next(); });
    ASSERT_TRUE(begin(log));
    EXPECT_EQ(prompts.dialogPresets, std::vector<std::string>{"samples.dat"});
    EXPECT_EQ(parameters.reads, (std::vector<int>{0, 3, 1, 2, 8}));
    EXPECT_TRUE(log.write(longSample));
    EXPECT_TRUE(log.write({30000, 28000, -3.5, 950.1, 540.25, 0, 0}));
    EXPECT_TRUE(log.write({0, 0, 999.9, 9999.9, 0, 0, 0}));           // invalid markers
    EXPECT_TRUE(log.write({31000, 27000, 20, 1000, 110.5, 999, 25})); // 999: short line
    EXPECT_TRUE(log.write({31001, 27001, 20.5, 1000.5, 106.25, 998.99, 999.9}));
    // Each line is in the file as soon as it is written.
    EXPECT_EQ(readWhole(path), readWhole(CHART_TEST_DATA "/samples.dat"));
    log.end();
    EXPECT_FALSE(log.logging());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DataLog, CancelledDialogOrUncreatableFileLeavesLoggingOffWithoutABox) {
    TdataLog log([this] { return next(); });
    EXPECT_FALSE(log.begin());          // dialog cancelled
    EXPECT_TRUE(log.write(longSample)); // not logging: nothing to do
    prompts.fileNames.push_back(dir + "/missing/samples.dat");
    EXPECT_FALSE(log.begin());
    EXPECT_FALSE(log.logging());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(parameters.reads.empty());
    std::string reason; // appending, as the logger does, tells why it cannot
    EXPECT_FALSE(log.beginAppending(dir + "/missing/samples.dat", reason));
    EXPECT_EQ(reason, "No such file or directory");
}

TEST_F(DataLog, DestroyedWhileLoggingClosesTheFile) {
    const int lowest = ::open("/dev/null", O_RDONLY); // the descriptor the data file gets
    ::close(lowest);
    {
        TdataLog log([this] { return next(); });
        ASSERT_TRUE(begin(log));
    }
    const int probe = ::open("/dev/null", O_RDONLY);
    EXPECT_EQ(probe, lowest);
    ::close(probe);
}

TEST_F(DataLog, ExistingFileIsOverwrittenOnlyAfterYes) {
    { std::ofstream(path) << "older data\n"; }
    TdataLog log([this] { return next(); });
    prompts.answers.push_back(TpromptAnswer::No);
    EXPECT_FALSE(begin(log));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text,
              "Warning: File already exists. Do you really want to overwrite it ?");
    EXPECT_EQ(prompts.shown[0].buttons, TpromptButtons::YesNo);
    EXPECT_EQ(readWhole(path), "older data\n");

    prompts.answers.push_back(TpromptAnswer::Yes);
    ASSERT_TRUE(begin(log));
    const std::string text = readWhole(path);
    EXPECT_EQ(text.rfind("#    Datafile for Corvasine Halvorn Altimeter\r\n", 0), 0u);
    EXPECT_EQ(text.find("older"), std::string::npos);
}

TEST_F(DataLog, FileFullEndsLoggingWithOneBoxAndNoPartialLine) {
    TdataLog log([this] { return next(); });
    ASSERT_TRUE(begin(log));
    ASSERT_TRUE(log.write(longSample));
    const auto whole = static_cast<rlim_t>(readWhole(path).size());

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = whole + 20; // the next line fits only in part
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limited);
    TcaptureLog debug;
    const bool written = log.write(longSample);
    const bool after = log.write(longSample);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    // The cut succeeded: only the end is logged.
    EXPECT_EQ(debug.lines, std::vector<std::string>{"Data file " + path +
                                                    " : File too large; data logging ended"});

    EXPECT_FALSE(written);
    EXPECT_TRUE(after); // logging has ended: nothing more is tried
    EXPECT_FALSE(log.logging());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].icon, TpromptIcon::Error);
    EXPECT_EQ(prompts.shown[0].text, "Error : The data file " + path +
                                         " cannot be written (File too large). Data logging "
                                         "has ended.");
    EXPECT_EQ(readWhole(path).size(), whole); // the partial line is cut off again
}

TEST_F(DataLog, RemovedFileEndsLogging) {
    TdataLog log([this] { return next(); });
    ASSERT_TRUE(begin(log));
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_FALSE(log.write(longSample));
    EXPECT_FALSE(log.logging());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find("(the file has been removed)"), std::string::npos);
}

TEST_F(DataLog, DeviceWithoutSpaceFailsAtTheHeader) {
    TdataLog log([this] { return next(); });
    prompts.fileNames.push_back("/dev/full");
    prompts.answers.push_back(TpromptAnswer::Yes); // it exists
    EXPECT_FALSE(log.begin());
    EXPECT_FALSE(log.logging());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text, "Error : The data file /dev/full cannot be written (No space "
                                     "left on device). Data logging has ended.");
}

TEST_F(DataLog, KilledWhileLoggingLeavesOnlyWholeLines) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TdataLog log([] { return std::string("20.02.2001 10:44:55"); });
        prompts.fileNames.push_back(path);
        if (!log.begin()) _exit(1);
        for (int i = 0;; ++i)
            log.write({i, i, -3.5 + i % 7, 1000 + i % 100 * 0.01, 10, i % 2 ? 50.0 : 0.0, 20});
    }
    struct stat status {};
    for (int i = 0; i < 5000 && (stat(path.c_str(), &status) != 0 || status.st_size < 300000); ++i)
        usleep(1000);
    kill(child, SIGKILL);
    int wstatus = 0;
    waitpid(child, &wstatus, 0);
    ASSERT_TRUE(WIFSIGNALED(wstatus));
    const std::string text = readWhole(path);
    ASSERT_GT(text.size(), 2000u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    std::istringstream lines(text);
    std::string line;
    int samples = 0;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#' || line == "\r") continue;
        ++samples;
        const auto fields = std::count(line.begin(), line.end(), ';');
        ASSERT_TRUE(fields == 5 || fields == 7) << line;
        ASSERT_EQ(line.back(), '\r') << line;
    }
    EXPECT_GT(samples, 10);
}

// logrotate's copytruncate cuts the file to nothing under the open descriptor: the next sample
// starts it again with its header, with no hole of zero bytes before it, whether the file was
// created from the dialog or is appended to as the logger does.
TEST_F(DataLog, AFileCutToNothingStartsAgainWithItsHeader) {
    for (const bool appending : {false, true}) {
        TdataLog log([] { return std::string("20.02.2001 10:44:55"); });
        std::string reason;
        ASSERT_TRUE(appending ? log.beginAppending(path, reason) : begin(log));
        ASSERT_TRUE(log.write(longSample));
        const std::string first = readWhole(path); // the header and one sample
        ASSERT_TRUE(log.write(longSample));
        ASSERT_EQ(truncate(path.c_str(), 0), 0);
        ASSERT_TRUE(log.write(longSample));
        EXPECT_EQ(readWhole(path), first) << (appending ? "appending" : "from the dialog");
        log.end();
        std::remove(path.c_str());
    }
}
