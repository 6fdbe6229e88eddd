// The main display's settings: by code, in the settings file and through the dialogs, and what
// closing the program saves.
#include "MainDisplayRig.h"
#include "measurement/Seqmain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

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

    display.setStation(nullptr);
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
    mainForm.controls["lb_var"].text = "45.25";
    mainForm.controls["pl_trend"].text = "intermediate high pressure system";
    display.loadStartupSettings();
    EXPECT_EQ(mainForm.text("lb_var"), "");
    EXPECT_EQ(mainForm.text("pl_trend"), "");
    EXPECT_FALSE(smallForm.visible("img_unch"));
}

TEST_F(MainDisplay, SettingsWrittenAsTheExampleAndReadBack) {
    display.setParameter(3, 500);
    display.writeSettings("setup.ini");
    EXPECT_EQ(readWhole("setup.ini"),
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
    std::ofstream("raise.ini") << "set_meteo_overcast_limit\t1010\nset_meteo_variable_limit\t1015\n"
                                  "set_meteo_sunny_limit\t1020\n";
    display.readSettings("raise.ini");
    EXPECT_EQ(meteo.getOvercastLimit(), 1002);
    EXPECT_EQ(meteo.getVariableLimit(), 1015);
    EXPECT_EQ(meteo.getSunnyLimit(), 1020);
}

TEST_F(MainDisplay, ReadingAFileRefreshesTheDisplayAndMinMax) {
    sample(1000, 20);
    sample(1010, 30);
    std::ofstream("alt.ini") << "set_altitude word\nset_minimized 1";
    display.setParameter(3, 200);
    display.readSettings("alt.ini");
    EXPECT_EQ(display.values().localAltitude, 0.0); // a word for a number applies 0.0
    EXPECT_TRUE(display.minimized);                 // the last line has no line end
    EXPECT_EQ(display.values().temperatureMin, 30.0);
    EXPECT_EQ(mainForm.text("lb_alti"), "0.0");
}

TEST_F(MainDisplay, AMissingStartupFileShowsTheErrorAndChangesNothing) {
    display.setParameter(3, 250);
    display.loadStartupSettings();
    EXPECT_TRUE(prompts.shown.empty()); // read in a search step: the box comes afterwards
    loop.runUntilIdle();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : Unable to open input file setup.ini");
    EXPECT_EQ(display.values().localAltitude, 250);
}

TEST_F(MainDisplay, WritingNeedsSensorWeatherModelAndSmallWindow) {
    display.setSmallForm(nullptr);
    display.writeSettings("out.ini");
    EXPECT_FALSE(fs::exists("out.ini"));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Error : Unable to open output file out.ini");
}

TEST_F(MainDisplay, CloseApplicationAsksThenSavesAndCancelsTheMainSequence) {
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
