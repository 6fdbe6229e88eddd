#include "display/TmainDisplay.h"

#include "display/FormView.h"
#include "measurement/Tsensor.h"
#include "station/Fixedtext.h"
#include "station/Station.h"
#include "station/Tmeteo.h"

#include <algorithm>

namespace {
const char* const trendArrows[] = {"img_quick_down", "img_slow_down", "img_unch", "img_quick_up",
                                   "img_slow_up"};

// Whole metres or feet; a value that rounds to zero from below reads "0", not "-0".
std::string whole(double value) {
    const std::string text = formatFixed(value, 0);
    return text == "-0" ? "0" : text;
}

std::string dashesOr(bool valid, double value, int decimals, const char* unit, const char* dashes) {
    return (valid ? formatFixed(value, decimals) : std::string(dashes)) + unit;
}

// The picture of a weather class; class 4 is split by the temperature.
const char* weatherPicture(std::uint8_t weatherClass, double temperature) {
    switch (weatherClass) {
    case WEATHER_SUNNY: return "img_sunny";
    case WEATHER_VARIABLE: return "img_variable";
    case WEATHER_OVERCAST: return "img_couvert";
    case WEATHER_RAIN:
        if (temperature >= 3) return "img_rainy";
        return temperature >= -1 ? "img_rainsnow" : "img_snow";
    default: return nullptr;
    }
}
bool validPressure(double p) {
    return TstationValues::validPressure(p);
}
} // namespace

void TmainDisplay::setModuleText(const char* text) {
    if (mainForm && text) mainForm->setText("lb_type", text);
}

void TmainDisplay::setStation(Tstation* shown) {
    if (station) {
        station->removeSink(this);
        station->setWindowParameters(nullptr);
    }
    station = shown;
    if (!station) return;
    station->setWindowParameters(this);
    station->addSink(this);
}

void TmainDisplay::linkChanged(int link) {
    setModuleText(Tsensor::linkText(link));
}

const TstationValues& TmainDisplay::values() const {
    static const TstationValues none;
    return station ? station->values() : none;
}

double TmainDisplay::pressureNow() const {
    return station ? station->sensor().pressure : Tsensor::Invalid;
}

// The values the module did not give show as dashes, as their markers did.
void TmainDisplay::reading(const Treading& r) {
    if (!station || !mainForm) return;
    showPressure(r.pressure.value_or(Tsensor::Invalid));
    showTemperature(r.temperature.value_or(Tsensor::InvalidTemperature), false);
    showHumidity(r.humidity.value_or(Tsensor::Invalid));
    showSeaLevelPressure();
    showAltitude(values().altitude, true);
    showWeather();
    showMinMax();
    mainForm->setText("lb_d1", std::to_string(r.D1));
    mainForm->setText("lb_d2", std::to_string(r.D2));
}

void TmainDisplay::showValues() {
    if (!station) return;
    showLocalAltitude();
    showAltitude(values().altitude, true);
    showSeaLevelPressure();
    showWeather();
    showMinMax();
}

void TmainDisplay::showPressure(double p) {
    shownPressure = std::clamp(p, 0.0, Invalid);
    if (mainForm)
        mainForm->setText("lbpressure", dashesOr(validPressure(p), shownPressure, 1, "", "----.-"));
}

void TmainDisplay::showHumidity(double h) {
    shownHumidity = std::clamp(h, 0.0, 100.0);
    if (mainForm)
        mainForm->setText("lb_rh", dashesOr(h > 0 && h < Invalid, shownHumidity, 1, "", "----.-"));
}

void TmainDisplay::showTemperature(double t, bool forced) {
    if (!mainForm || !smallForm) return;
    if (t == lastTemperature && !forced) return;
    lastTemperature = t;
    const bool valid = TstationValues::validTemperature(t);
    // Without a temperature the column stands at the bottom of the scale.
    const int c = truncateToInt((std::clamp(valid ? t : -13.0, -13.0, 63.0) + 10) * 2.08);
    mainForm->setTop("mercure", 184 - c);
    mainForm->setHeight("mercure", c + 25);
    const double f = std::min(1.8 * t + 32, 999.9);
    mainForm->setText("lbcelsius", dashesOr(valid, t, 1, " °C", "---.-"));
    smallForm->setText("lbcelsius", dashesOr(valid, t, 1, " [°C]", "---.-"));
    mainForm->setText("lbfarenheit", dashesOr(valid, f, 1, " °F", "---.-"));
    const int r = std::clamp(c + 64, 0, 255);
    const int g = std::clamp(r <= 127 ? 2 * r : 512 - 2 * r, 0, 255);
    mainForm->setColor("mercure", r, g, 255 - r);
    mainForm->setColor("mercure2", r, g, 255 - r);
}

void TmainDisplay::showSeaLevelPressure() {
    if (!station || !mainForm || !smallForm) return;
    const bool valid = seaLevelPressureValid();
    mainForm->setText("lbpresssea", dashesOr(valid, values().seaLevelPressure, 1, "", "----.-"));
    smallForm->setText("lbpresssea", dashesOr(valid, pressureNow(), 1, " [mbar]", "----.-"));
}

void TmainDisplay::showLocalAltitude() {
    if (!mainForm) return;
    const double h = values().localAltitude;
    mainForm->setText("lb_alti", formatFixed(h, 1));
    mainForm->setText("lb_altifeet", formatFixed(h * 3.28, 1));
}

void TmainDisplay::showAltitude(double a, bool forced) {
    if (!mainForm) return;
    a = std::clamp(a, -1000.0, 10000.0);
    if (a == altitude && !forced) return;
    altitude = a;
    static const char* const pictures[] = {"mountlow", "mountmid", "mounthigh"};
    static const double bottoms[] = {-1000, 2000, 6000};
    static const double tops[] = {2000, 6000, 10000};
    const int state = a < 2000 ? 0 : a < 6000 ? 1 : 2;
    if (state != gaugeState || forced) {
        if (gaugeState >= 0 && gaugeState <= 2) mainForm->setVisible(pictures[gaugeState], false);
        mainForm->setVisible(pictures[state], true);
        gaugeBottom = bottoms[state];
        mainForm->setText("lbbottom", formatFixed(gaugeBottom, 0) + " m");
        gaugeState = state;
        const double span = tops[state] - bottoms[state];
        gaugeScale = 200 / (span == 0 ? 0.00001 : span);
    }
    const bool valid = TstationValues::validAltitude(altitude);
    mainForm->setText("lbtop", valid ? whole(altitude) + " m" : "-----");
    mainForm->setText("lbmeter", valid ? whole(altitude) : "-----");
    mainForm->setText("lbfeet", valid ? whole(altitude * 3.2808) : "-----");
    showArrow();
}

// The arrow from the bottom of the gauge up to the current altitude.
void TmainDisplay::showArrow() {
    const int c = truncateToInt((altitude - gaugeBottom) * gaugeScale);
    const int y = 224 - c;
    mainForm->setTop("bvl1", y);
    mainForm->setTop("lbtop", y - 16);
    if (c > 32) {
        mainForm->setTop("imgup", y);
        mainForm->setTop("imgdown", 408);
        mainForm->setTop("shparrow", y + 16);
        mainForm->setHeight("shparrow", c - 31);
        mainForm->setVisible("shparrow", true);
        return;
    }
    mainForm->setTop("imgdown", y - 15);
    mainForm->setTop("imgup", 223);
    if (c > 0) {
        mainForm->setTop("shparrow", y);
        mainForm->setHeight("shparrow", c + 1);
    }
    mainForm->setVisible("shparrow", c > 0);
}

bool TmainDisplay::seaLevelPressureValid() const {
    return station && values().seaLevelPressureValid(pressureNow());
}

void TmainDisplay::resetMinMax() {
    if (!station) return;
    station->clearMinMax();
    showMinMax();
}

// A quantity without a valid value since the last reset shows dashes.
void TmainDisplay::showMinMax() {
    if (!mainForm) return;
    const TstationValues& v = values();
    mainForm->setText("lb_pmax", dashesOr(v.pressureSeen, v.pressureMax, 1, " [mbar]", "----.-"));
    mainForm->setText("lb_pmin", dashesOr(v.pressureSeen, v.pressureMin, 1, " [mbar]", "----.-"));
    mainForm->setText("lb_amax", dashesOr(v.altitudeSeen, v.altitudeMax, 2, " [m]", "-----"));
    mainForm->setText("lb_amin", dashesOr(v.altitudeSeen, v.altitudeMin, 2, " [m]", "-----"));
    mainForm->setText("lb_tmax",
                      dashesOr(v.temperatureSeen, v.temperatureMax, 1, " [°C]", "---.-"));
    mainForm->setText("lb_tmin",
                      dashesOr(v.temperatureSeen, v.temperatureMin, 1, " [°C]", "---.-"));
}

void TmainDisplay::setBoth(const char* control, bool visible) {
    mainForm->setVisible(control, visible);
    smallForm->setVisible(control, visible);
}

void TmainDisplay::setWeatherPictures(std::uint8_t weatherClass, bool visible) {
    if (weatherClass == WEATHER_RAIN && !visible) {
        for (const char* picture : {"img_rainy", "img_rainsnow", "img_snow"})
            setBoth(picture, false);
    } else if (const char* picture = weatherPicture(weatherClass, lastTemperature)) {
        setBoth(picture, visible);
    }
}

// The rain, snow-and-rain or snow choice is made only when the class changes.
void TmainDisplay::showWeather() {
    if (!station || !smallForm || !mainForm) return;
    const std::uint8_t c = station->meteo().getWeatherClass();
    if (c == shownWeatherClass) return;
    setWeatherPictures(shownWeatherClass, false);
    shownWeatherClass = c;
    setWeatherPictures(c, true);
    if (c != WEATHER_NONE) mainForm->setText("Panel5", weatherText(c, lastTemperature));
}

// Without a trend (no sample yet) the texts are empty and no arrow shows, as for the weather.
void TmainDisplay::showTrend(int trend, double variation) {
    const bool known = trend >= 0 && trend < TrendNone;
    if (mainForm) mainForm->setText("lb_var", known ? formatFixed(variation, 3) : "");
    if (trend == shownTrend || !smallForm) return;
    if (shownTrend < TrendNone) smallForm->setVisible(trendArrows[shownTrend], false);
    shownTrend = static_cast<std::uint8_t>(trend);
    if (mainForm) mainForm->setText("pl_trend", trendText(trend));
    if (known) smallForm->setVisible(trendArrows[trend], true);
}

void TmainDisplay::setBarEnabled(int bar, bool enabled) {
    if (barView) barView->setBarEnabled(bar, enabled);
}
void TmainDisplay::setBarValue(int bar, double mbar) {
    if (barView) barView->setBarValue(bar, mbar);
}
void TmainDisplay::setBarLowRange(int bar, double mbar) {
    if (barView) barView->setBarLowRange(bar, mbar);
}
void TmainDisplay::setBarHighRange(int bar, double mbar) {
    if (barView) barView->setBarHighRange(bar, mbar);
}

void TmainDisplay::showWindows() {
    if (!smallForm) return;
    smallForm->showForm(minimized);
    if (mainForm) mainForm->showForm(!minimized);
}
