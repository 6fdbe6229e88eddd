#include "FakeChart.h"
#include "FakeForm.h"
#include "charts/ChartSink.h"
#include "core/Prompts.h"
#include "display/TmainDisplay.h"
#include "measurement/Fakes.h"
#include "station/IntroSink.h"
#include "station/Tmeteo.h"
#include "support/LastOf.h"
#include "support/LptStation.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

const char* const weatherPictures[] = {"img_sunny", "img_variable", "img_couvert",
                                       "img_rainy", "img_rainsnow", "img_snow"};

// The main display fed by the station as start-up wires them, on virtual time, with the
// emulated LPT module that the test plugs in and pulls out, and no serial port. "setup.ini" sets
// 500 m and TS 1 s.
class MainDisplaySession : public LptStation {
protected:
    MainDisplaySession() {
        std::ofstream("setup.ini") << "set_altitude\t500\nset_sampling_ts\t1\n";
        display.setMainForm(&mainForm);
        display.setSmallForm(&smallForm);
        theSystem.meteoView = &display;
        theSystem.chartView = &chart;
        theSystem.prompts = &prompts;
        station.setSettingsFile("setup.ini", true);
        station.setApp(&app);
        display.setStation(&station);
        station.addSink(&chartSink);
        station.addSink(&introSink);
    }
    ~MainDisplaySession() override { theSystem = Tsystem{}; }

    void noModule() { lpt.module.setFault(TlptModuleFault::DoutStuckHigh); }
    void plug(double pressure) {
        lpt.module.setFault(TlptModuleFault::None);
        lpt.module.setConditions(pressure, 20);
    }
    bool samples(std::size_t n) {
        return loop.runUntil([&] { return chart.samples.size() >= n; }, 600'000);
    }
    std::size_t closes() const {
        return static_cast<std::size_t>(
            std::count_if(intro.calls.begin(), intro.calls.end(),
                          [](const auto& c) { return c.starts_with("close"); }));
    }
    // "Detect module", then the first sample after the search.
    bool detect() {
        const std::size_t before = closes();
        display.detectModule();
        if (!loop.runUntil([&] { return closes() > before; }, 600'000)) return false;
        return samples(chart.samples.size() + 1);
    }
    // The first control of either window whose text shows an invalid marker as a value.
    std::string markerShown() {
        for (FakeForm* form : {&mainForm, &smallForm})
            for (const auto& [name, control] : form->controls)
                if (name != "lb_d1" && name != "lb_d2" &&
                    (control.text.find("999.9") != std::string::npos ||
                     control.text.find("10000") != std::string::npos))
                    return name + ": " + control.text;
        return "";
    }
    bool weatherShown() {
        for (const char* picture : weatherPictures)
            if (mainForm.visible(picture) || smallForm.visible(picture)) return true;
        return !mainForm.text("Panel5").empty();
    }

    InTempDir temp;
    TscriptedPrompts prompts;
    FakeChart chart;
    TchartSink chartSink{chart};
    FakeIntro intro;
    TintroSink introSink{intro};
    FakeApp app;
    FakeForm mainForm;
    FakeForm smallForm;
    Tmeteo& meteo = station.meteo();
    TseqMAIN& seq = station.sequence();
    TmainDisplay display;
};

} // namespace

TEST_F(MainDisplaySession, StartedWithoutModuleShowsNoWeatherAndNoMarkerUntilOneIsFound) {
    noModule();
    seq.start();
    ASSERT_TRUE(samples(3));
    EXPECT_EQ(lastOf(intro.calls), "close not found");
    EXPECT_FALSE(weatherShown());
    EXPECT_EQ(meteo.getHistory(0), Tmeteo::emptyEntry);
    EXPECT_EQ(markerShown(), "");
    EXPECT_EQ(mainForm.text("lb_pmax"), "----.- [mbar]");
    EXPECT_EQ(mainForm.text("lb_amin"), "----- [m]");
    EXPECT_EQ(mainForm.text("lb_tmax"), "---.- [°C]");
    EXPECT_EQ(mainForm.text("lbmeter"), "-----");
    EXPECT_EQ(mainForm.text("pl_trend") + mainForm.text("lb_var"), "");
    EXPECT_FALSE(smallForm.visible("img_unch"));

    plug(955);
    ASSERT_TRUE(detect());
    EXPECT_EQ(lastOf(intro.calls), "close found");
    EXPECT_EQ(mainForm.text("lbmeter"), "500");
    EXPECT_EQ(mainForm.text("Panel5"), "Variable"); // 955 mbar at 500 m: 1013.6 at sea level
    EXPECT_TRUE(mainForm.visible("img_variable"));
    EXPECT_NEAR(meteo.getHistory(0), 1013.6, 0.2);
    EXPECT_NEAR(display.values().altitudeMin, 500, 1);
    EXPECT_EQ(mainForm.text("lb_tmin"), "20.0 [°C]");
    EXPECT_EQ(mainForm.text("pl_trend"), "Constant");
    EXPECT_TRUE(smallForm.visible("img_unch"));
    EXPECT_EQ(markerShown(), "");
}

TEST_F(MainDisplaySession, UnplugKeepsTheValuesAndTheAltitudeGoesOnAfterTheReplug) {
    plug(955);
    seq.start();
    ASSERT_TRUE(samples(2));
    EXPECT_EQ(mainForm.text("lbmeter"), "500");
    const std::string pmax = mainForm.text("lb_pmax"), amin = mainForm.text("lb_amin"),
                      tmin = mainForm.text("lb_tmin");

    noModule();
    ASSERT_TRUE(samples(chart.samples.size() + 2));
    EXPECT_EQ(lastOf(chart.samples)[3], Tsensor::Invalid);
    // The words of the last good conversion reach neither the labels nor the chart's data file.
    EXPECT_EQ(lastOf(chart.samples)[0], 0);
    EXPECT_EQ(lastOf(chart.samples)[1], 0);
    EXPECT_EQ(mainForm.text("lb_d1"), "0");
    EXPECT_EQ(mainForm.text("lb_d2"), "0");
    EXPECT_EQ(markerShown(), "");
    EXPECT_EQ(mainForm.text("lb_pmax"), pmax);
    EXPECT_EQ(mainForm.text("lb_amin"), amin);
    EXPECT_EQ(mainForm.text("lb_tmin"), tmin);
    EXPECT_EQ(mainForm.text("Panel5"), "Variable");
    EXPECT_EQ(meteo.getWeatherClass(), WEATHER_VARIABLE);

    ASSERT_TRUE(detect()); // still out; the search reloads "setup.ini" without a pressure
    EXPECT_EQ(lastOf(intro.calls), "close not found");
    EXPECT_EQ(mainForm.text("lbmeter"), "-----");
    EXPECT_EQ(markerShown(), "");

    plug(945); // back, and the weather has changed meanwhile: 10 mbar less is 86 m up
    ASSERT_TRUE(detect());
    EXPECT_EQ(lastOf(intro.calls), "close found");
    EXPECT_EQ(mainForm.text("lbmeter"), "586"); // the altitude goes on from the reference held
    EXPECT_EQ(mainForm.text("lb_pmax"), mainForm.text("lb_pmin")); // the reload restarted them
    EXPECT_EQ(markerShown(), "");

    ASSERT_TRUE(detect()); // while measuring: the local altitude is taken from this pressure
    EXPECT_EQ(mainForm.text("lbmeter"), "500");
}
