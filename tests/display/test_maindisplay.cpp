#include "MainDisplayRig.h"
#include "station/Atmosphere.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

TEST_F(MainDisplay, SeaLevelOffsetFollowsTheLocalAltitude) {
    sensor.pressure = 1000;
    display.setParameter(3, 0);
    EXPECT_NEAR(display.values().seaLevelOffset, 0.04, 0.0005);
    EXPECT_EQ(mainForm.text("lbpresssea"), "1000.0");
    EXPECT_EQ(smallForm.text("lbpresssea"), "1000.0 [mbar]"); // the local pressure
    display.setParameter(3, 500);
    EXPECT_NEAR(display.values().seaLevelOffset, 58.60, 0.005);
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
    const double pMin = display.values().pressureMin, tMax = display.values().temperatureMax;
    display.setParameter(3, 100);
    EXPECT_NE(meteo.getHistory(0), -1.0);
    EXPECT_EQ(display.values().pressureMin, pMin);
    EXPECT_EQ(display.values().temperatureMax, tMax);
    display.setParameter(3, 150);
    EXPECT_EQ(meteo.getHistory(0), -1.0);
    EXPECT_EQ(display.values().pressureMin, display.values().seaLevelPressure);
    EXPECT_EQ(display.values().pressureMax, display.values().seaLevelPressure);
    EXPECT_EQ(display.values().temperatureMin, 25.0);
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
    display.setStation(nullptr); // no station to show: nothing is shown at all
    sample(990, 10);
    EXPECT_EQ(mainForm.text("lbpressure"), "1000.0");
    mainForm.controls.clear();
    station.resetReference();
    EXPECT_TRUE(mainForm.controls.empty());
}

TEST_F(MainDisplay, ResetReferenceTakesThePressureAsTheLocalAltitude) {
    display.setParameter(3, 300);
    sample(960, 20);
    station.resetReference();
    EXPECT_EQ(display.values().referencePressure, 960);
    EXPECT_NEAR(display.altitude, 300, 1);
    EXPECT_EQ(meteo.getHistory(0), -1.0);
    EXPECT_EQ(display.values().altitudeMin, display.altitude);
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
    EXPECT_LT(display.values().seaLevelOffset, 0);
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
    EXPECT_LT(display.values().altitudeMax, 1);
    EXPECT_GT(display.values().altitudeMin, -90);
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
