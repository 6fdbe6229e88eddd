#include "app/Main.h"
#include "charts/Plot_time.h"
#include "charts/Tchart.h"
#include "charts/Tchart_settings.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/TWdebug.h"
#include "display/Tabout.h"
#include "display/Tmain.h"
#include "display/Tsmall.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "links/Serial_enum.h"
#include "measurement/Seqmain.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// The whole program, as start-up builds it, against an emulated serial module: nothing but the
// module's pty is visible to the port search.
class Program : public ::testing::Test {
protected:
    Program() {
        fs::create_directories(dir / "none");
        TserialRoots roots;
        roots.sysfs = (dir / "none").string();
        roots.dev = (dir / "none").string();
        roots.emulated = (dir / "emu").string();
        setSerialRoots(roots);
        publisher = std::make_unique<TportPublisher>(roots.emulated);
        publisher->claim();
        pty = std::make_unique<TptyModule>(module, publisher.get());
    }
    ~Program() override {
        pty.reset();
        publisher.reset();
        setSerialRoots(TserialRoots{});
    }

    static QString text(QWidget* window, const char* name) {
        auto* label = window->findChild<QLabel*>(name);
        return label ? label->text() : QString("<missing>");
    }

    InTempDir temp;
    fs::path dir{temp.dir.path};
    TserialModule module;
    std::unique_ptr<TportPublisher> publisher;
    std::unique_ptr<TptyModule> pty;
};

// The labels of a window whose text does not fit in them, one "name: text" a line (a wrapped label
// may use its lines, a single-line label its width).
std::string cutLabels(QWidget* window) {
    QString cut;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        const QString text = label->text();
        if (text.isEmpty() || label->textFormat() == Qt::RichText) continue;
        const QRect room = label->contentsRect();
        const int flags = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
        const QRect needed = label->fontMetrics().boundingRect(room, flags, text);
        if (needed.width() > room.width() || needed.height() > room.height())
            cut += label->objectName() + ": " + text + '\n';
    }
    return cut.toStdString();
}

// Saves a picture of the window into the build's screenshots folder (the pictures in docs/).
void screenshot(QWidget* window, const char* name) {
    const QString target = QString(CORV_SCREENSHOTS) + "/" + name;
    window->grab().save(target);
}
} // namespace

TEST_F(Program, FindsTheModuleShowsLiveValuesAndClosesInOrder) {
    ASSERT_TRUE(pty->plug());
    std::ofstream("setup.ini") << "set_altitude\t0\nset_sampling_ts\t1\n";
    TmodelObjects model;
    TprogramWindows windows(model.station());
    TscriptedPrompts prompts;
    theSystem.prompts = &prompts;
    TWmain& main = windows.mainWindow();
    // Nothing has started before the loop runs.
    EXPECT_EQ(theSystem.seqMain->getStep(), 0);
    EXPECT_EQ(text(&main, "lb_type"), "");
    EXPECT_EQ(cutLabels(&main), "");
    EXPECT_EQ(cutLabels(&windows.smallWindow()), "");

    bool live = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (text(&main, "lb_type") != "COM module" || text(&main, "lbpressure") == "----.--" ||
            text(&main, "lb_rh") == "----.--")
            return;
        poll.stop();
        live = true;
        EXPECT_NEAR(text(&main, "lbpressure").toDouble(), 1013.25, 0.2);
        EXPECT_NEAR(text(&main, "lb_rh").toDouble(), 50, 0.5);
        EXPECT_NEAR(text(&main, "lbcelsius").section(' ', 0, 0).toDouble(), 20, 0.2);
        EXPECT_EQ(text(&main, "Panel5"), "Variable");
        EXPECT_EQ(cutLabels(&main), "") << main.font().family().toStdString();
        auto* pages = main.findChild<QTabWidget*>("PageControl1");
        screenshot(&main, "main_barometer.png");
        pages->setCurrentIndex(1);
        EXPECT_EQ(text(&main, "lbmeter"), "0");
        screenshot(&main, "main_altimeter.png");
        pages->setCurrentIndex(0);
        main.findChild<QAction*>("Minimize1")->trigger();
        screenshot(&windows.smallWindow(), "small.png");
        EXPECT_EQ(cutLabels(&windows.smallWindow()), "");
        main.findChild<QAction*>("Minimize1")->trigger();
        theSystem.parameters->setParameter(13, 0);
        windows.aboutBox().show();
        screenshot(&windows.aboutBox(), "about.png");
        windows.aboutBox().hide();
        prompts.answers.push_back(TpromptAnswer::Yes);
        main.findChild<QAction*>("Exit1")->trigger();
    });
    poll.start(50);
    QTimer::singleShot(30000, &poll, [] { QCoreApplication::exit(1); }); // give up
    int exitCode = -1;
    runMessageLoop([&exitCode] { exitCode = QApplication::exec(); });

    EXPECT_TRUE(live);
    EXPECT_EQ(exitCode, 0); // ended by the main sequence, not by the give-up timer
    // The start message put every plot of the chart into auto scale, its box checked.
    TWchart& chart = windows.chartWindow();
    for (TchartPlot which : {TchartPlot::pressure, TchartPlot::altitude, TchartPlot::temperature,
                             TchartPlot::humidity, TchartPlot::humidityTemperature})
        EXPECT_TRUE(chart.plot(which)->model().AutoScaleYOn()) << int(which);
    for (const char* name :
         {"PAutoScaleBox", "AAutoScaleBox", "TAutoScaleBox", "HAutoScaleBox", "THAutoScaleBox"}) {
        const auto* box = chart.rangeDialog()->findChild<QCheckBox*>(name);
        EXPECT_TRUE(box && box->isChecked()) << name;
    }
    if (HasFailure()) {
        const auto& lines = windows.debugWindow().lines();
        for (std::size_t i = lines.size() > 60 ? lines.size() - 60 : 0; i < lines.size(); ++i)
            std::fprintf(stderr, "%s\n", lines[i].c_str());
    }
    EXPECT_TRUE(fs::exists("setup.ini")); // autosaved on exit
    model.destroy();
    EXPECT_EQ(theSystem.sensor, nullptr);
    EXPECT_EQ(theSystem.seqMain, nullptr);
    EXPECT_EQ(theSystem.meteo, nullptr);
    theSystem.prompts = nullptr;
}

namespace {
// What one start of the program showed before it was left through "Exit".
struct RunResult {
    int exitCode = -1;
    QString module, pressure;
    bool portBusy = false; // the debug log reported a port that could not be had
    std::size_t boxes = 0;
};

// Starts the program as start-up builds it and runs it until the search has ended and a sample is
// shown, then leaves it through "Exit" answered Yes, or by sending itself `endSignal`.
RunResult runUntilFirstSample(int endSignal = 0) {
    TmodelObjects model;
    TprogramWindows windows(model.station());
    TscriptedPrompts prompts;
    theSystem.prompts = &prompts;
    TWmain& main = windows.mainWindow();
    RunResult result;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* pressure = main.findChild<QLabel*>("lbpressure");
        if (theSystem.seqMain->getStep() < 500 || pressure->text() == "----.--") return;
        poll.stop();
        result.module = main.findChild<QLabel*>("lb_type")->text();
        result.pressure = pressure->text();
        if (endSignal != 0) {
            ::kill(getpid(), endSignal);
            return;
        }
        prompts.answers.push_back(TpromptAnswer::Yes);
        main.findChild<QAction*>("Exit1")->trigger();
    });
    poll.start(50);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    giveUp.start(30000);
    runMessageLoop([&result] { result.exitCode = QApplication::exec(); });
    for (const std::string& line : windows.debugWindow().lines())
        result.portBusy = result.portBusy || line.find("Device or resource busy") != line.npos;
    result.boxes = prompts.shown.size();
    model.destroy();
    theSystem.prompts = nullptr;
    return result;
}
} // namespace

// Started again against the emulator that still runs, the program finds the module again: the
// first run's close left the port free for an ordinary user.
TEST_F(Program, ASecondStartFindsTheStillRunningModuleAgain) {
    ASSERT_TRUE(pty->plug());
    std::ofstream("setup.ini") << "set_altitude\t0\nset_sampling_ts\t1\n";
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        const RunResult run = runUntilFirstSample();
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.module, "COM module");
        EXPECT_NEAR(run.pressure.toDouble(), 1013.25, 0.2);
        EXPECT_FALSE(run.portBusy);
    }
}

// SIGTERM, SIGINT and SIGHUP end the program as "Exit" answered Yes does, without asking: the
// settings autosaved and the port closed, so that the next start finds the module again.
TEST_F(Program, ASignalEndsItAsExitAnsweredYes) {
    ASSERT_TRUE(pty->plug());
    for (int endSignal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(endSignal);
        std::ofstream("setup.ini") << "set_altitude\t0\nset_sampling_ts\t1\n";
        const RunResult run = runUntilFirstSample(endSignal);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.boxes, 0u);
        EXPECT_FALSE(run.portBusy);
        std::ostringstream saved;
        saved << std::ifstream("setup.ini").rdbuf();
        EXPECT_NE(saved.str().find("set_save_on_exit"), std::string::npos) << saved.str();
    }
    EXPECT_EQ(runUntilFirstSample().module, "COM module");
}

namespace {
// Half a day of weather, one sample every half hour: a low passing through, a warm afternoon and
// the humidity falling as the air warms.
TmoduleConditions weatherAtSample(int sample, bool humiditySensor) {
    const double hours = sample * 0.5;
    const double day = 2 * std::numbers::pi * hours / 24;
    TmoduleConditions c;
    c.pressure = 1011 - 7 * std::sin(day * 1.6) + 0.6 * std::sin(day * 9);
    c.temperature = 14 + 6 * std::sin(day - 0.8);
    c.humidity = 62 - 18 * std::sin(day - 0.8);
    c.humidityTemp = c.temperature + 0.4;
    c.humiditySensor = humiditySensor;
    return c;
}
} // namespace

// The chart window as ViewChart1Click lays it out: compact while the module has no humidity
// sensor, full once it has one. Its clock runs half an hour per sample, so that the curves span
// half a day; the pictures go next to the others.
TEST_F(Program, ChartWindowInBothLayoutsWithTheEmulatorsSamples) {
    constexpr int compactSamples = 12;
    constexpr int fullSamples = 26;
    module.setConditions(weatherAtSample(0, false));
    ASSERT_TRUE(pty->plug());
    std::ofstream("setup.ini") << "set_altitude\t0\nset_sampling_ts\t1\n";
    TmodelObjects model;
    TprogramWindows windows(model.station());
    TscriptedPrompts prompts;
    theSystem.prompts = &prompts;
    TWchart& chart = windows.chartWindow();
    QAction* viewChart = windows.mainWindow().findChild<QAction*>("ViewChart1");
    ASSERT_NE(viewChart, nullptr);
    int samples = 0;
    chart.clock = [this, &samples] {
        ++samples;
        module.setConditions(weatherAtSample(samples, samples >= compactSamples));
        return std::int64_t{1'700'000'000} + samples * 1800;
    };

    int clientHeights[2] = {};
    bool humidityPanels[2] = {true, false};
    auto humidityShown = [&chart] {
        auto* panel = chart.findChild<QWidget*>("Panel3");
        return panel && !panel->isHidden();
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (samples == compactSamples && clientHeights[0] == 0) {
            viewChart->trigger();
            clientHeights[0] = chart.centralWidget()->height();
            humidityPanels[0] = humidityShown();
            screenshot(&chart, "chart_compact.png");
            viewChart->trigger();
        }
        if (samples < fullSamples) return;
        poll.stop();
        viewChart->trigger();
        clientHeights[1] = chart.centralWidget()->height();
        humidityPanels[1] = humidityShown();
        screenshot(&chart, "chart_full.png");
        prompts.answers.push_back(TpromptAnswer::Yes);
        windows.mainWindow().findChild<QAction*>("Exit1")->trigger();
    });
    poll.start(20);
    QTimer::singleShot(90000, &poll, [] { QCoreApplication::exit(1); }); // give up
    int exitCode = -1;
    runMessageLoop([&exitCode] { exitCode = QApplication::exec(); });
    model.destroy();
    theSystem.prompts = nullptr;

    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(humidityPanels[0]);
    EXPECT_TRUE(humidityPanels[1]);
    EXPECT_LT(clientHeights[0], clientHeights[1]);
    EXPECT_GE(samples, fullSamples);
}

TEST(RunMessageLoop, ShowsAnEscapingExceptionInAnErrorBox) {
    TscriptedPrompts prompts;
    theSystem.prompts = &prompts;
    runMessageLoop([] { throw std::runtime_error("broken"); });
    runMessageLoop([] { throw 42; });
    runMessageLoop([] {});
    theSystem.prompts = nullptr;
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "broken");
    EXPECT_EQ(prompts.shown[0].icon, TpromptIcon::Error);
    EXPECT_EQ(prompts.shown[1].text, "");
}
