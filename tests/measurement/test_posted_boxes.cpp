// Boxes that a measurement or search step raises are shown once the step has moved on: the
// cycle goes on while they are open.
#include "charts/DataLog.h"
#include "core/Prompts.h"
#include "measurement/ParameterAccess.h"
#include "station/Settingsfile.h"
#include "support/ScriptedPrompts.h"
#include "support/StationRig.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class NoParameters : public TparameterAccess {
public:
    double getParameter(int) override { return 0; }
    void setParameter(int, double) override {}
    void getCalibration(Tsensor_wc*) override {}
    void setCalibration(const Tsensor_wc*) override {}
};

// The main window's part of each sample: shown, then written to the data file.
class LoggingView : public FakeMainView {
public:
    using FakeMainView::FakeMainView;
    void showSample() override {
        FakeMainView::showSample();
        const Sample& s = samples.back();
        if (dataLog) dataLog->write({1, 2, s.temperature, s.pressure, 0, 0, 0});
    }
    TdataLog* dataLog = nullptr;
};

// Files grow no further than their size now, as on a disk that has just filled up.
class FullDisk {
public:
    explicit FullDisk(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit saved{};
    void (*previous)(int) = nullptr;
};

off_t sizeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

struct PostedBoxes : StationRig<LoggingView> {
    PostedBoxes() { theSystem.prompts = &prompts; }
    TscriptedPrompts prompts;
};

TEST_F(PostedBoxes, DataFileErrorBoxLeftOpenWhileTheSamplesKeepComing) {
    const TempDir dir;
    const std::string path = dir.file("samples.dat");
    TdataLog dataLog([] { return std::string("08.12.2026 07:00:00"); });
    prompts.fileNames.push_back(path);
    ASSERT_TRUE(dataLog.begin());
    view.dataLog = &dataLog;
    lpt.module.setConditions(990.0, 15.0);
    seq.start();
    ASSERT_TRUE(samples(3));
    const off_t logged = sizeOf(path);

    std::size_t shownWhenOpened = 0;
    std::size_t shownWhenAnswered = 0;
    bool logEndedBeforeTheBox = false;
    prompts.whileOpen = [&](const TscriptedPrompts::Shown&) {
        logEndedBeforeTheBox = !dataLog.logging();
        shownWhenOpened = view.samples.size();
        samples(shownWhenOpened + 20); // the user takes twenty cycles to click OK
        shownWhenAnswered = view.samples.size();
    };
    {
        FullDisk full(static_cast<rlim_t>(logged));
        ASSERT_TRUE(samples(view.samples.size() + 1));
        loop.runUntilIdle();
    }
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : The data file " + path +
                                         " cannot be written (File too large). Data logging "
                                         "has ended.");
    EXPECT_TRUE(logEndedBeforeTheBox);
    EXPECT_EQ(shownWhenAnswered, shownWhenOpened + 20);
    EXPECT_EQ(sizeOf(path), logged); // no partial line, nothing after the failure
    for (std::size_t i = shownWhenOpened; i < shownWhenAnswered; ++i)
        EXPECT_NEAR(view.samples[i].pressure, 990.0, 0.1);
    prompts.whileOpen = {};
    ASSERT_TRUE(samples(view.samples.size() + 2));
    EXPECT_EQ(prompts.shown.size(), 1u); // one box for the whole failure
}

// The settings file is read in the first step of every search.
TEST_F(PostedBoxes, UnreadableSettingsFileBoxLeavesTheSearchRunning) {
    NoParameters parameters;
    settings.onLoad = [&] { readSettingsFile("/nonexistent/setup.ini", parameters); };
    lpt.module.setConditions(990.0, 15.0);
    prompts.whileOpen = [&](const TscriptedPrompts::Shown&) { samples(5); };
    seq.start();
    ASSERT_TRUE(samples(1));
    loop.runUntilIdle();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : Unable to open input file /nonexistent/setup.ini");
    EXPECT_EQ(view.samples.size(), 5u); // searched and measured while the box was open
    EXPECT_EQ(intro.calls, (std::vector<std::string>{"show", "LPT1", "FOUND", "close found"}));
}

} // namespace
