#include "FakeChart.h"
#include "FakeForm.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/VirtualLoop.h"
#include "display/Atmosphere.h"
#include "display/TmainDisplay.h"
#include "display/Tmeteo.h"
#include "measurement/Seqmain.h"
#include "measurement/Tsensor.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Also records each file dialog's title and filter (the save dialog comes through openFile too).
class DialogPrompts : public TscriptedPrompts {
public:
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& preset) override {
        dialogs.push_back(title + " | " + filter);
        return TscriptedPrompts::openFile(title, filter, preset);
    }
    std::vector<std::string> dialogs;
};

class MainDisplay : public ::testing::Test {
protected:
    MainDisplay() : meteo([this] { return now; }) {
        theSystem.sensor = &sensor;
        theSystem.meteo = &meteo;
        theSystem.prompts = &prompts;
        theSystem.meteoView = &display;
        theSystem.chartView = &chart;
        display.setMainForm(&mainForm);
        display.setSmallForm(&smallForm);
    }
    ~MainDisplay() override { theSystem = Tsystem{}; }

    // One sample through the display, as the main sequence hands it over.
    void sample(double pressure, double temperature, double humidity = 0) {
        sensor.pressure = pressure;
        sensor.temperature = temperature;
        sensor.humidity = humidity;
        display.showSample();
    }

    TvirtualLoop loop;
    Tsensor sensor;
    std::int64_t now = 1'000'000;
    Tmeteo meteo;
    DialogPrompts prompts;
    FakeChart chart;
    FakeForm mainForm;
    FakeForm smallForm;
    TmainDisplay display;
};

// Runs a test inside a fresh directory that it leaves again.
class InTempDir {
public:
    InTempDir() : old(fs::current_path()) {
        dir = fs::temp_directory_path() / ("corv_main_" + std::to_string(getpid()));
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    ~InTempDir() {
        fs::current_path(old);
        fs::remove_all(dir);
    }
    static std::string contents(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    fs::path dir;

private:
    fs::path old;
};
} // namespace

TEST_F(MainDisplay, SeaLevelOffsetFollowsTheLocalAltitude) {
    sensor.pressure = 1000;
    display.setParameter(3, 0);
    EXPECT_NEAR(display.seaLevelOffset, 0.04, 0.0005);
    EXPECT_EQ(mainForm.text("lbpresssea"), "1000.0");
    EXPECT_EQ(smallForm.text("lbpresssea"), "1000.0 [mbar]"); // the local pressure
    display.setParameter(3, 500);
    EXPECT_NEAR(display.seaLevelOffset, 58.60, 0.005);
    EXPECT_EQ(mainForm.text("lbpresssea"), "1058.6");
    EXPECT_EQ(mainForm.text("lb_alti"), "500.0");
    EXPECT_EQ(mainForm.text("lb_altifeet"), "1640.0");
    sensor.pressure = Tsensor::Invalid;
    display.showSeaLevelPressure();
    EXPECT_EQ(mainForm.text("lbpresssea"), "----.-");
    EXPECT_EQ(smallForm.text("lbpresssea"), "----.- [mbar]");
}

TEST_F(MainDisplay, AltitudeStartsAtTheLocalAltitudeAndFollowsThePressure) {
    sensor.pressure = 950;
    display.setParameter(3, 500);
    EXPECT_NEAR(display.altitude, 500, 1);
    EXPECT_EQ(mainForm.text("lbmeter"), "500");
    sample(940, 20); // 10 mbar lower: about 86 m higher along the standard atmosphere
    EXPECT_NEAR(display.altitude, altitudeFromPressure(pressureFromAltitude(500) - 10), 1e-9);
    EXPECT_EQ(mainForm.text("lbmeter"), "586");
}

TEST_F(MainDisplay, ChangingTheAltitudeClearsHistoryAndMinMaxKeepingItDoesNot) {
    display.setParameter(3, 100);
    sample(1000, 20);
    sample(990, 25);
    ASSERT_NE(meteo.getHistory(0), -1.0);
    const double pMin = display.pressureMin, tMax = display.temperatureMax;
    display.setParameter(3, 100);
    EXPECT_NE(meteo.getHistory(0), -1.0);
    EXPECT_EQ(display.pressureMin, pMin);
    EXPECT_EQ(display.temperatureMax, tMax);
    display.setParameter(3, 150);
    EXPECT_EQ(meteo.getHistory(0), -1.0);
    EXPECT_EQ(display.pressureMin, display.seaLevelPressure);
    EXPECT_EQ(display.pressureMax, display.seaLevelPressure);
    EXPECT_EQ(display.temperatureMin, 25.0);
    EXPECT_EQ(mainForm.text("lb_tmax"), "25.0 [°C]");
}

TEST_F(MainDisplay, GaugeRangesLabelsAndArrow) {
    display.showAltitude(1999.6, true);
    EXPECT_TRUE(mainForm.visible("mountlow"));
    EXPECT_EQ(mainForm.text("lbbottom"), "-1000 m");
    EXPECT_EQ(mainForm.text("lbtop"), "2000 m");
    display.showAltitude(2000, false);
    EXPECT_FALSE(mainForm.visible("mountlow"));
    EXPECT_TRUE(mainForm.visible("mountmid"));
    EXPECT_EQ(mainForm.text("lbbottom"), "2000 m");
    EXPECT_EQ(display.gaugeState, 1);
    display.showAltitude(6000, false);
    EXPECT_TRUE(mainForm.visible("mounthigh"));
    EXPECT_FALSE(mainForm.visible("mountmid"));
    EXPECT_EQ(mainForm.text("lbbottom"), "6000 m");
    display.showAltitude(-1200, false);
    EXPECT_EQ(display.altitude, -1000);
    EXPECT_EQ(mainForm.text("lbmeter"), "-----");
    EXPECT_EQ(mainForm.text("lbfeet"), "-----");
    EXPECT_EQ(mainForm.text("lbtop"), "-----");
    EXPECT_FALSE(mainForm.visible("shparrow")); // at the bottom: no bar
    display.showAltitude(20000, false);
    EXPECT_EQ(display.altitude, 10000);
    EXPECT_EQ(mainForm.text("lbtop"), "-----");
    display.showAltitude(-0.1, false); // rounds to no sign
    EXPECT_EQ(mainForm.text("lbmeter") + mainForm.text("lbfeet") + mainForm.text("lbtop"), "000 m");

    // 0 m in the low range: 66 pixels up; the bar stands under the up arrow.
    display.showAltitude(0, false);
    auto& c = mainForm.controls;
    EXPECT_EQ(c["bvl1"].top, 158);
    EXPECT_EQ(c["lbtop"].top, 142);
    EXPECT_EQ(c["imgup"].top, 158);
    EXPECT_EQ(c["imgdown"].top, 408);
    EXPECT_EQ(c["shparrow"].top, 174);
    EXPECT_EQ(c["shparrow"].height, 35);
    EXPECT_TRUE(c["shparrow"].visible);
    // -900 m: 6 pixels up; the arrow points down onto a short bar.
    display.showAltitude(-900, false);
    EXPECT_EQ(c["imgdown"].top, 203);
    EXPECT_EQ(c["imgup"].top, 223);
    EXPECT_EQ(c["shparrow"].top, 218);
    EXPECT_EQ(c["shparrow"].height, 7);
    // An unforced call with the same altitude changes nothing.
    c["bvl1"].top = -1;
    display.showAltitude(-900, false);
    EXPECT_EQ(c["bvl1"].top, -1);
    display.showAltitude(-980, false); // 1 pixel up: still a bar
    EXPECT_EQ(c["shparrow"].height, 2);
    EXPECT_TRUE(c["shparrow"].visible);
    // Just under the top of the middle and the high range: 199 of the 200 pixels.
    display.showAltitude(5999.9, false);
    EXPECT_EQ(c["bvl1"].top, 25);
    display.showAltitude(9999.9, false);
    EXPECT_EQ(c["bvl1"].top, 25);
}

TEST_F(MainDisplay, ThermometerColumnColourAndTexts) {
    display.showTemperature(70, false);
    auto& m = mainForm.controls["mercure"];
    EXPECT_EQ(m.top, 184 - 151); // as for 63 °C
    EXPECT_EQ(m.height, 151 + 25);
    EXPECT_EQ((std::tuple{m.red, m.green, m.blue}), (std::tuple{215, 82, 40}));
    EXPECT_EQ(mainForm.controls["mercure2"].red, 215);
    EXPECT_EQ(mainForm.text("lbcelsius"), "70.0 °C");
    EXPECT_EQ(mainForm.text("lbfarenheit"), "158.0 °F");
    EXPECT_EQ(smallForm.text("lbcelsius"), "70.0 [°C]");
    display.showTemperature(-20, false); // as for -13 °C: column below the scale, blue
    EXPECT_EQ(m.top, 190);
    EXPECT_EQ(m.height, 19);
    EXPECT_EQ((std::tuple{m.red, m.green, m.blue}), (std::tuple{58, 116, 197}));
    display.showTemperature(70, false);
    display.showTemperature(Tsensor::InvalidTemperature, false); // none: as for -13 °C
    EXPECT_EQ(m.top, 190);
    EXPECT_EQ(m.height, 19);
    EXPECT_EQ((std::tuple{m.red, m.green, m.blue}), (std::tuple{58, 116, 197}));
    display.showTemperature(150, false);
    EXPECT_EQ(m.top, 190);
    EXPECT_EQ(mainForm.text("lbcelsius"), "---.- °C");
    EXPECT_EQ(mainForm.text("lbfarenheit"), "---.- °F");
    EXPECT_EQ(smallForm.text("lbcelsius"), "---.- [°C]");
    display.showTemperature(-80, false);
    EXPECT_EQ(mainForm.text("lbfarenheit"), "-112.0 °F");
    display.showTemperature(-80.5, false);
    EXPECT_EQ(mainForm.text("lbcelsius"), "---.- °C");
}

TEST_F(MainDisplay, AFirstTemperatureOfZeroWaitsForAChangeUnlessForced) {
    display.showTemperature(0, false);
    EXPECT_EQ(mainForm.text("lbcelsius"), "");
    display.showTemperature(0, true);
    EXPECT_EQ(mainForm.text("lbcelsius"), "0.0 °C");
    display.setSmallForm(nullptr); // without the small window neither window is written
    display.showTemperature(10, true);
    EXPECT_EQ(mainForm.text("lbcelsius"), "0.0 °C");
}

TEST_F(MainDisplay, PressureAndHumidityDashesAndClamps) {
    display.showHumidity(0);
    EXPECT_EQ(mainForm.text("lb_rh"), "----.-");
    display.showHumidity(150);
    EXPECT_EQ(mainForm.text("lb_rh"), "100.0");
    EXPECT_EQ(display.shownHumidity, 100);
    display.showHumidity(Tsensor::Invalid);
    EXPECT_EQ(mainForm.text("lb_rh"), "----.-");
    display.showPressure(1013.25);
    EXPECT_EQ(mainForm.text("lbpressure"), "1013.2");
    display.showPressure(-3);
    EXPECT_EQ(mainForm.text("lbpressure"), "----.-");
    EXPECT_EQ(display.shownPressure, 0);
    display.showPressure(12000);
    EXPECT_EQ(display.shownPressure, Tsensor::Invalid);
}

TEST_F(MainDisplay, RainPictureIsChosenOnlyWhenTheClassChanges) {
    display.setParameter(3, 0);
    sample(990, 5); // rain at 5 °C
    EXPECT_EQ(display.shownWeatherClass, WEATHER_RAIN);
    EXPECT_TRUE(mainForm.visible("img_rainy"));
    EXPECT_TRUE(smallForm.visible("img_rainy"));
    EXPECT_EQ(mainForm.text("Panel5"), "Rainy");
    sample(990, -5);
    EXPECT_TRUE(mainForm.visible("img_rainy"));
    EXPECT_FALSE(mainForm.visible("img_snow"));
    EXPECT_EQ(mainForm.text("Panel5"), "Rainy");
    sample(1005, -5); // overcast: every rain picture goes
    EXPECT_FALSE(mainForm.visible("img_rainy"));
    EXPECT_FALSE(smallForm.visible("img_rainy"));
    EXPECT_TRUE(smallForm.visible("img_couvert"));
    EXPECT_EQ(mainForm.text("Panel5"), "Overcast");
    sample(990, -5);
    EXPECT_TRUE(mainForm.visible("img_snow"));
    EXPECT_EQ(mainForm.text("Panel5"), "Snow");
    EXPECT_FALSE(mainForm.visible("img_couvert"));
    sample(1020, 0);
    sample(990, 0);
    EXPECT_EQ(mainForm.text("Panel5"), "Snow & Rain");
    EXPECT_TRUE(mainForm.visible("img_rainsnow"));
}

TEST_F(MainDisplay, TrendTextVariationAndSmallArrows) {
    display.showTrend(TREND_QUICK_DOWN, -1.0);
    EXPECT_EQ(smallForm.controls.size(), 1u); // no arrow was shown before: none is hidden
    EXPECT_EQ(mainForm.text("lb_var"), "-1.000");
    EXPECT_EQ(mainForm.text("pl_trend"), "thunderstorm");
    EXPECT_TRUE(smallForm.visible("img_quick_down"));
    display.showTrend(TREND_QUICK_UP, 1.25);
    EXPECT_FALSE(smallForm.visible("img_quick_down"));
    EXPECT_TRUE(smallForm.visible("img_quick_up"));
    EXPECT_EQ(mainForm.text("pl_trend"), "intermediate high pressure system");
    mainForm.controls["pl_trend"].text = "x";
    display.showTrend(TREND_QUICK_UP, 0.5); // same code: only the variation changes
    EXPECT_EQ(mainForm.text("lb_var"), "0.500");
    EXPECT_EQ(mainForm.text("pl_trend"), "x");
    // The weather model reaches the display through theSystem.
    display.setParameter(3, 0);
    sample(1010, 20);
    EXPECT_EQ(mainForm.text("pl_trend"), "Constant");
    EXPECT_TRUE(smallForm.visible("img_unch"));
}

TEST_F(MainDisplay, ShowSampleWritesRawValuesAndNeedsTheSensor) {
    sensor.D1 = 7168;
    sensor.D2 = 20224;
    sensor.humidityTemperature = 21.5;
    display.setParameter(3, 0);
    sample(1000, 20, 45.5);
    EXPECT_EQ(mainForm.text("lb_d1"), "7168");
    EXPECT_EQ(mainForm.text("lb_d2"), "20224");
    EXPECT_EQ(mainForm.text("lb_rh"), "45.5");
    ASSERT_EQ(chart.samples.size(), 1u);
    EXPECT_EQ(chart.samples[0],
              (std::vector<double>{7168, 20224, 20, 1000, display.altitude, 45.5, 21.5}));
    theSystem.chartView = nullptr; // no chart window: no sample is shown at all
    sample(990, 10);
    EXPECT_EQ(mainForm.text("lbpressure"), "1000.0");
    theSystem.sensor = nullptr;
    mainForm.controls.clear();
    display.showSample();
    display.resetReference();
    EXPECT_TRUE(mainForm.controls.empty());
}

TEST_F(MainDisplay, ResetReferenceTakesThePressureAsTheLocalAltitude) {
    display.setParameter(3, 300);
    sample(960, 20);
    display.resetReference();
    EXPECT_EQ(display.referencePressure, 960);
    EXPECT_NEAR(display.altitude, 300, 1);
    EXPECT_EQ(meteo.getHistory(0), -1.0);
    EXPECT_EQ(display.altitudeMin, display.altitude);
}

TEST_F(MainDisplay, ParameterAccessByCode) {
    const std::pair<int, double> values[] = {{1, 4},   {2, 3},    {4, 1020},  {5, 1012}, {6, 1001},
                                             {7, 0.7}, {9, -1.5}, {10, -0.3}, {11, 1.5}, {12, 0.3},
                                             {13, 1},  {14, 0},   {15, 100},  {16, 50}};
    for (const auto& [code, value] : values)
        display.setParameter(code, value);
    for (const auto& [code, value] : values)
        EXPECT_EQ(display.getParameter(code), value) << code;
    EXPECT_TRUE(smallForm.shown);
    EXPECT_FALSE(mainForm.shown);
    EXPECT_EQ(smallForm.left, 100);
    EXPECT_EQ(smallForm.top, 50);
    EXPECT_FALSE(mainForm.controls["Autosavesettingsonexit1"].checked);
    display.setParameter(13, 0);
    EXPECT_FALSE(smallForm.shown);
    EXPECT_TRUE(mainForm.shown);
    display.setParameter(2, 0.5);
    EXPECT_EQ(display.getParameter(2), 1);
    display.setParameter(1, 2.9);
    EXPECT_EQ(display.getParameter(1), 2);
    display.setParameter(8, 12.5);
    EXPECT_EQ(display.getParameter(8), 12.5);
    display.setParameter(15, 1e30); // beyond the integer range: stops at its end
    EXPECT_EQ(smallForm.left, 2147483647);
    EXPECT_EQ(display.getParameter(0), 0.0);
    EXPECT_EQ(display.getParameter(17), 0.0);

    theSystem.sensor = nullptr;
    theSystem.meteo = nullptr;
    display.setSmallForm(nullptr);
    for (int code : {1, 2, 4, 7, 12, 15, 16})
        EXPECT_EQ(display.getParameter(code), 0.0) << code;
    display.setParameter(4, 1030); // no weather model: nothing to set, nothing breaks
}

// A settings file or the dialog may give N and TS far beyond the integer range: they stop at its
// ends, and a huge TS still means "at least 1".
TEST_F(MainDisplay, SamplingValuesBeyondTheIntegerRangeStopAtItsEnds) {
    display.setParameter(1, 1e20);
    EXPECT_EQ(display.getParameter(1), 2147483647);
    display.setParameter(1, -1e20);
    EXPECT_EQ(display.getParameter(1), -2147483648.0);
    display.setParameter(2, 1.8e14);
    EXPECT_EQ(display.getParameter(2), 2147483647);
    display.setParameter(2, -1e300);
    EXPECT_EQ(display.getParameter(2), 1);
    display.setParameter(1, std::nan("")); // not a number at all: 0
    EXPECT_EQ(display.getParameter(1), 0);
}

TEST_F(MainDisplay, CalibrationGoesToAndFromTheSensor) {
    Tsensor_wc in;
    in.W1 = 1;
    in.C1 = 123;
    in.C6 = 7;
    display.setCalibration(&in);
    Tsensor_wc out;
    display.getCalibration(&out);
    EXPECT_EQ(out.C1, 123);
    EXPECT_EQ(out.C6, 7);
    EXPECT_EQ(sensor.coef[0], 123.0);
    display.getCalibration(nullptr);
    display.setCalibration(nullptr);
}

// Without a settings file nothing else tells the trend display and the history bars their state:
// the start shows the empty weather model rather than the window's design-time texts.
TEST_F(MainDisplay, StartWithoutSettingsFileShowsNoInventedTrend) {
    InTempDir temp;
    mainForm.controls["lb_var"].text = "45.25";
    mainForm.controls["pl_trend"].text = "intermediate high pressure system";
    display.loadStartupSettings();
    EXPECT_EQ(mainForm.text("lb_var"), "");
    EXPECT_EQ(mainForm.text("pl_trend"), "");
    EXPECT_FALSE(smallForm.visible("img_unch"));
}

TEST_F(MainDisplay, SettingsWrittenAsTheExampleAndReadBack) {
    InTempDir temp;
    display.setParameter(3, 500);
    display.writeSettings("setup.ini");
    EXPECT_EQ(InTempDir::contents("setup.ini"),
              "set_sampling_n\t1\nset_sampling_ts\t1\nset_altitude\t500.000000\n"
              "#warning, take care of the meteo limit sequence since they must be always "
              "coherent\n"
              "set_meteo_overcast_limit\t1002.000000\nset_meteo_variable_limit\t1009.000000\n"
              "set_meteo_sunny_limit\t1016.000000\nset_meteo_hysteresis_limit\t0.500000\n"
              "#warning, take caer of the trend limit sequence since they must be always "
              "coherent\n"
              "set_quick_down_weather_rate\t-0.900000\nset_slow_down_weather_rate\t-0.230000\n"
              "set_quick_up_weather_rate\t0.900000\nset_slow_up_weather_rate\t0.230000\n"
              "set_minimized\t0.0\nset_save_on_exit\t1.0\n"
              "set_small_x\t709.000000\nset_small_y\t282.000000\n");

    // Every setting changed, written, the old values put back, and the file read again.
    const std::pair<int, double> changed[] = {
        {1, 4},     {2, 7},  {3, 812.5}, {6, 990}, {5, 1000}, {4, 1010}, {7, 1.5}, {9, -2},
        {10, -0.5}, {11, 2}, {12, 0.5},  {13, 1},  {14, 0},   {15, 120}, {16, 64}};
    for (const auto& [code, value] : changed)
        display.setParameter(code, value);
    display.writeSettings("changed.ini");
    display.readSettings("setup.ini");
    EXPECT_EQ(display.getParameter(3), 500);
    display.readSettings("changed.ini");
    for (const auto& [code, value] : changed)
        EXPECT_EQ(display.getParameter(code), value) << code;
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(MainDisplay, RaisingAllThreeLimitsAtOnceRefusesTheOvercastLimit) {
    InTempDir temp;
    std::ofstream("raise.ini") << "set_meteo_overcast_limit\t1010\nset_meteo_variable_limit\t1015\n"
                                  "set_meteo_sunny_limit\t1020\n";
    display.readSettings("raise.ini");
    EXPECT_EQ(meteo.getOvercastLimit(), 1002);
    EXPECT_EQ(meteo.getVariableLimit(), 1015);
    EXPECT_EQ(meteo.getSunnyLimit(), 1020);
}

TEST_F(MainDisplay, ReadingAFileRefreshesTheDisplayAndMinMax) {
    InTempDir temp;
    sample(1000, 20);
    sample(1010, 30);
    std::ofstream("alt.ini") << "set_altitude word\nset_minimized 1";
    display.setParameter(3, 200);
    display.readSettings("alt.ini");
    EXPECT_EQ(display.localAltitude, 0.0); // a word for a number applies 0.0
    EXPECT_TRUE(display.minimized);        // the last line has no line end
    EXPECT_EQ(display.temperatureMin, 30.0);
    EXPECT_EQ(mainForm.text("lb_alti"), "0.0");
}

TEST_F(MainDisplay, AMissingStartupFileShowsTheErrorAndChangesNothing) {
    InTempDir temp;
    display.setParameter(3, 250);
    display.loadStartupSettings();
    EXPECT_TRUE(prompts.shown.empty()); // read in a search step: the box comes afterwards
    loop.runUntilIdle();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : Unable to open input file setup.ini");
    EXPECT_EQ(display.localAltitude, 250);
}

TEST_F(MainDisplay, WritingNeedsSensorWeatherModelAndSmallWindow) {
    InTempDir temp;
    display.setSmallForm(nullptr);
    display.writeSettings("out.ini");
    EXPECT_FALSE(fs::exists("out.ini"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : Unable to open output file out.ini");
}

TEST_F(MainDisplay, CloseApplicationAsksThenSavesAndCancelsTheMainSequence) {
    InTempDir temp;
    TseqMAIN seqMain;
    theSystem.seqMain = &seqMain;
    display.closeApplication(); // no answer queued: No
    EXPECT_EQ(prompts.shown.at(0).text, "Close application ?");
    EXPECT_EQ(prompts.shown.at(0).buttons, TpromptButtons::YesNo);
    EXPECT_EQ(loop.pendingPosts(), 0u);
    EXPECT_FALSE(fs::exists("setup.ini"));

    display.setParameter(14, 0);
    prompts.answers.push_back(TpromptAnswer::Yes);
    display.closeApplication();
    EXPECT_FALSE(fs::exists("setup.ini"));
    EXPECT_EQ(loop.pendingPosts(), 1u); // the cancel request

    display.setParameter(14, 1);
    display.saveFileName.clear();
    prompts.answers.push_back(TpromptAnswer::Yes);
    display.closeApplication();
    EXPECT_TRUE(fs::exists("setup.ini"));
}

TEST_F(MainDisplay, ExitSavesToTheLastSaveAsNameNotTheLoadedOne) {
    InTempDir temp;
    prompts.fileNames = {"mine.ini"};
    display.saveSettingsAsDialog();
    EXPECT_TRUE(fs::exists("mine.ini"));
    prompts.fileNames = {"mine.ini"};
    display.loadSettingsDialog();
    fs::remove("mine.ini");
    prompts.answers.push_back(TpromptAnswer::Yes);
    display.closeApplication();
    EXPECT_TRUE(fs::exists("mine.ini"));
    EXPECT_FALSE(fs::exists("setup.ini"));
    EXPECT_EQ(prompts.dialogPresets, (std::vector<std::string>{"setup.ini", "setup.ini"}));
    display.loadSettingsDialog(); // cancelled: nothing read, nothing shown
    EXPECT_EQ(prompts.shown.size(), 1u);
    const std::string filter = " | Settings files (*.ini);;All files (*)";
    EXPECT_EQ(prompts.dialogs,
              (std::vector<std::string>{"Save settings As" + filter, "Load settings" + filter,
                                        "Load settings" + filter}));
}

// The save dialog's default extension: a name typed without one gets ".ini", and exit writes
// to that same file.
TEST_F(MainDisplay, SaveAsAddsTheDefaultExtensionToANameWithoutOne) {
    InTempDir temp;
    fs::create_directory("conf.d");
    prompts.fileNames = {"mine", "conf.d/other", "kept.cfg"};
    display.saveSettingsAsDialog();
    display.saveSettingsAsDialog();
    display.saveSettingsAsDialog();
    EXPECT_TRUE(fs::exists("mine.ini"));
    EXPECT_TRUE(fs::exists("conf.d/other.ini"));
    EXPECT_TRUE(fs::exists("kept.cfg"));
    EXPECT_FALSE(fs::exists("mine"));
    EXPECT_EQ(prompts.dialogPresets,
              (std::vector<std::string>{"setup.ini", "mine.ini", "conf.d/other.ini"}));
    fs::remove("kept.cfg");
    prompts.answers.push_back(TpromptAnswer::Yes);
    display.closeApplication();
    EXPECT_TRUE(fs::exists("kept.cfg"));
}

// The open dialog has the same default extension: "mine" reads "mine.ini".
TEST_F(MainDisplay, LoadAddsTheDefaultExtensionToANameWithoutOne) {
    InTempDir temp;
    std::ofstream("mine.ini") << "set_altitude\t123\n";
    std::ofstream("kept.cfg") << "set_altitude\t45\n";
    prompts.fileNames = {"mine", "kept.cfg"};
    display.loadSettingsDialog();
    EXPECT_EQ(display.getParameter(3), 123);
    display.loadSettingsDialog();
    EXPECT_EQ(display.getParameter(3), 45);
    EXPECT_EQ(prompts.dialogPresets, (std::vector<std::string>{"setup.ini", "mine.ini"}));
    EXPECT_TRUE(prompts.shown.empty()); // no file was missing
}

TEST_F(MainDisplay, ChartLayoutFollowsTheHumiditySensorOnceSet) {
    sensor.humidity = 0;
    display.applyChartLayout();
    sensor.humidity = 999; // the top of the range still counts as a humidity
    display.applyChartLayout();
    sensor.humidity = 0;
    display.applyChartLayout(); // stays with humidity
    sensor.humidity = 1000;
    display.applyChartLayout();
    EXPECT_EQ(chart.layouts, (std::vector<bool>{false, true}));
    EXPECT_TRUE(display.humidityLayout);
}

TEST_F(MainDisplay, TheWeatherModelSeesValidPressuresOnly) {
    InTempDir temp;
    std::ofstream("setup.ini") << "set_altitude\t0\n";
    display.loadStartupSettings(); // before any sample: the marker pressure
    sample(Tsensor::Invalid, Tsensor::InvalidTemperature);
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_NONE);
    EXPECT_EQ(meteo.getHistory(0), Tmeteo::emptyEntry);
    EXPECT_FALSE(mainForm.visible("img_sunny"));
    EXPECT_FALSE(smallForm.visible("img_sunny"));
    EXPECT_EQ(mainForm.text("Panel5"), "");
    sample(1001.7, 20); // inside the band around the overcast limit: no class yet
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_NONE);
    EXPECT_NEAR(meteo.getHistory(0), 1001.74, 0.005);
    sample(1005, 20);
    EXPECT_EQ(mainForm.text("Panel5"), "Overcast");
    now += 3600;
    sample(Tsensor::Invalid, Tsensor::InvalidTemperature); // unplugged an hour later
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_OVERCAST);
    EXPECT_EQ(meteo.getHistory(1), Tmeteo::emptyEntry);
}

// Below sea level the offset is negative: the marker plus the offset must not pass for a value.
TEST_F(MainDisplay, BelowSeaLevelTheMarkerStillShowsDashes) {
    display.setParameter(3, -200);
    sample(Tsensor::Invalid, Tsensor::InvalidTemperature);
    EXPECT_LT(display.seaLevelOffset, 0);
    EXPECT_EQ(mainForm.text("lbpresssea"), "----.-");
    EXPECT_EQ(smallForm.text("lbpresssea"), "----.- [mbar]");
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_NONE);
    EXPECT_EQ(mainForm.text("lb_pmax"), "----.- [mbar]");
}

TEST_F(MainDisplay, MinMaxTakeValidValuesOnlyAndShowDashesUntilTheFirst) {
    display.setParameter(3, 0);
    display.resetMinMax(); // "Clear min/max values" before any sample
    sample(Tsensor::Invalid, Tsensor::InvalidTemperature);
    const char* const dashes[][2] = {{"lb_pmin", "----.- [mbar]"}, {"lb_pmax", "----.- [mbar]"},
                                     {"lb_amin", "----- [m]"},     {"lb_amax", "----- [m]"},
                                     {"lb_tmin", "---.- [°C]"},    {"lb_tmax", "---.- [°C]"}};
    for (const auto& [label, text] : dashes)
        EXPECT_EQ(mainForm.text(label), text) << label;
    sample(1000, 20);
    sample(Tsensor::Invalid, Tsensor::InvalidTemperature);
    sample(1010, 25);
    EXPECT_EQ(mainForm.text("lb_pmin"), "1000.0 [mbar]");
    EXPECT_EQ(mainForm.text("lb_pmax"), "1010.0 [mbar]");
    EXPECT_EQ(mainForm.text("lb_tmin"), "20.0 [°C]");
    EXPECT_EQ(mainForm.text("lb_tmax"), "25.0 [°C]");
    EXPECT_LT(display.altitudeMax, 1);
    EXPECT_GT(display.altitudeMin, -90);
    sample(Tsensor::Invalid, Tsensor::InvalidTemperature);
    display.resetMinMax(); // cleared while the module is out
    for (const auto& [label, text] : dashes)
        EXPECT_EQ(mainForm.text(label), text) << label;
}

TEST_F(MainDisplay, ALocalAltitudeSetWithoutAPressureTakesTheNextValidOneAsReference) {
    sample(Tsensor::Invalid, Tsensor::InvalidTemperature);
    display.setParameter(3, 500);
    EXPECT_EQ(mainForm.text("lbmeter"), "-----");
    sample(955, 20);
    EXPECT_NEAR(display.altitude, 500, 1);
    EXPECT_EQ(mainForm.text("lbmeter"), "500");
    sample(945, 20);
    EXPECT_NEAR(display.altitude, altitudeFromPressure(pressureFromAltitude(500) - 10), 1e-9);
}
