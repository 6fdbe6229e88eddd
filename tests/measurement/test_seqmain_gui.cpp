#include "PtyBench.h"
#include "core/Prompts.h"
#include "core/Wsignal.h"
#include "measurement/Seqmain.h"
#include "measurement/Tintro.h"
#include "measurement/Tsensor.h"
#include "support/LastOf.h"
#include "support/ScriptedPrompts.h"
#include "support/StationRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>

namespace {

const char* const NoModuleText =
    "Error: No module found, please check the connection and/or plug-in the module.\n";

template <class Pred> bool spinUntil(Pred done, int maxMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < maxMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Virtual time with the real intro window and every box answered from a script.
struct SeqMainIntroWindow : StationRig<FakeMainView, TWintro> {
    SeqMainIntroWindow() { theSystem.prompts = &prompts; }
    TscriptedPrompts prompts;
};

} // namespace

// Virtual time, the real intro window: the error box comes once and the window goes away.
TEST_F(SeqMainIntroWindow, NoModuleShowsTheErrorBoxOnceAndHidesTheIntro) {
    lpt.module.setFault(TlptModuleFault::DoutStuckLow);
    seq.start();
    ASSERT_TRUE(loop.runUntil([&] { return intro.isVisible(); }, 1000));
    ASSERT_TRUE(loop.runUntil([&] { return view.samples.size() >= 3; }, 10'000));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, NoModuleText);
    EXPECT_EQ(prompts.shown[0].icon, TpromptIcon::Error);
    EXPECT_FALSE(intro.isVisible());
    EXPECT_EQ(intro.lines().left[0], "Searching on LPT1 port");
    EXPECT_EQ(intro.lines().right[0], "NOT FOUND");
    EXPECT_EQ(intro.lines().rightColour[0], TWintro::Red);
    EXPECT_EQ(lastOf(view.samples).pressure, 9999.9);
}

// The no-module box stands over the intro window, and the measuring with no module begins while
// it is open; the window goes once the box has been answered.
TEST_F(SeqMainIntroWindow, IntroStaysVisibleUnderTheNoModuleBoxWhileMeasuringBegins) {
    lpt.module.setFault(TlptModuleFault::DoutStuckLow);
    bool introShownUnderTheBox = false;
    std::size_t samplesWhileOpen = 0;
    prompts.whileOpen = [&](const TscriptedPrompts::Shown&) {
        introShownUnderTheBox = intro.isVisible();
        const std::size_t before = view.samples.size();
        loop.runUntil([&] { return view.samples.size() >= before + 3; }, 10'000);
        samplesWhileOpen = view.samples.size() - before;
        EXPECT_TRUE(intro.isVisible());
    };
    seq.start();
    ASSERT_TRUE(loop.runUntil([&] { return !prompts.shown.empty(); }, 10'000));
    EXPECT_EQ(prompts.shown[0].text, NoModuleText);
    EXPECT_TRUE(introShownUnderTheBox);
    EXPECT_EQ(samplesWhileOpen, 3u);
    EXPECT_FALSE(intro.isVisible());

    // A search asked for while the box is open keeps its window when the box is answered.
    prompts.whileOpen = [&](const TscriptedPrompts::Shown&) {
        seq.restart();
        loop.runUntil([&] { return seq.getStep() == 110; }, 10'000);
    };
    seq.restart();
    ASSERT_TRUE(loop.runUntil([&] { return prompts.shown.size() == 2; }, 10'000));
    EXPECT_EQ(seq.getStep(), 110);
    EXPECT_TRUE(intro.isVisible());
}

// Real time over real ptys with the Qt signal window: the search finds the module on COM3 and
// the first measurement reads it.
TEST(SeqMainGui, SerialSearchAndMeasurementOverPtysWithTheSignalWindow) {
    TSignalForm signalForm;
    SerialTree tree;
    const TmoduleConditions weather{1021.0, 24.0, 55.0, 23.5, true};
    PtyBench com1{tree, 1};
    com1.module.setFault(TmoduleFault::Silent);
    PtyBench com3{tree, 3, weather};
    ASSERT_TRUE(com3.pty.isPlugged());
    TlptModuleEmulator lpt(steadyMs);
    lpt.setFault(TlptModuleFault::DoutStuckHigh);
    setPortIO(&lpt);
    FakeMainView view;
    TscriptedPrompts prompts;
    TWintro intro;
    FakeApp app;
    {
        Tsensor sensor;
        TseqMAIN seq;
        SystemScope scope{Tsystem{.sensor = &sensor,
                                  .seqMain = &seq,
                                  .mainView = &view,
                                  .prompts = &prompts,
                                  .app = &app},
                          &intro};
        seq.start();
        ASSERT_TRUE(spinUntil([&] { return intro.isVisible(); }, 2000));
        ASSERT_TRUE(spinUntil([&] { return !view.samples.empty(); }, 20'000));
        EXPECT_FALSE(intro.isVisible());
        EXPECT_TRUE(prompts.shown.empty());
        const Thistorique& lines = intro.lines();
        EXPECT_EQ(lines.left[lines.first], "Searching on LPT1 port");
        EXPECT_EQ(lines.right[lines.first], "NOT FOUND");
        EXPECT_EQ(lines.left[lines.current], "Searching on COM3 port");
        EXPECT_EQ(lines.right[lines.current], "FOUND");
        EXPECT_EQ(lines.rightColour[lines.current], TWintro::Green);
        EXPECT_EQ(sensor.link, 2);
        EXPECT_NEAR(view.samples[0].pressure, weather.pressure, 0.1);
        EXPECT_NEAR(view.samples[0].temperature, weather.temperature, 0.1);
        EXPECT_NEAR(view.samples[0].humidity, weather.humidity, 0.5);
        seq.cancel(nullptr, false);
        ASSERT_TRUE(spinUntil([&] { return app.quits == 1; }, 2000));
    }
    setPortIO(nullptr);
}
