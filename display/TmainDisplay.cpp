#include "display/TmainDisplay.h"

#include "charts/ChartView.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "display/Fixedtext.h"
#include "display/FormView.h"
#include "display/Settingsfile.h"
#include "display/Tmeteo.h"
#include "measurement/Seqmain.h"
#include "measurement/Tsensor.h"

#include <algorithm>

namespace {
const char* const trendArrows[] = {"img_quick_down", "img_slow_down", "img_unch", "img_quick_up",
                                   "img_slow_up"};
const char* const settingsFilter = "Settings files (*.ini);;All files (*)";

// A name whose last part has no extension gets the dialogs' default one, ".ini".
std::string withDefaultExtension(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return name.find('.', start) == std::string::npos ? name + ".ini" : name;
}

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

void TmainDisplay::resetReference() {
    setLocalAltitude(values.localAltitude);
    computeAltitude();
    showSeaLevelPressure();
    if (theSystem.meteo) theSystem.meteo->clearHistory();
    resetMinMax();
}

void TmainDisplay::showSample() {
    Tsensor* sensor = theSystem.sensor;
    TchartView* chart = theSystem.chartView;
    if (!sensor || !mainForm || !chart) return;
    showPressure(sensor->pressure);
    showTemperature(sensor->temperature, false);
    showHumidity(sensor->humidity);
    updateDerived();
    mainForm->setText("lb_d1", std::to_string(sensor->getD1()));
    mainForm->setText("lb_d2", std::to_string(sensor->getD2()));
    chart->NewSample(sensor->getD1(), sensor->getD2(), sensor->temperature, sensor->pressure,
                     altitude, sensor->humidity, sensor->humidityTemperature);
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
    Tsensor* sensor = theSystem.sensor;
    if (!sensor || !mainForm || !smallForm) return;
    values.updateSeaLevel(sensor->pressure);
    const bool valid = seaLevelPressureValid();
    mainForm->setText("lbpresssea", dashesOr(valid, values.seaLevelPressure, 1, "", "----.-"));
    smallForm->setText("lbpresssea", dashesOr(valid, sensor->pressure, 1, " [mbar]", "----.-"));
}

void TmainDisplay::setLocalAltitude(double h) {
    Tsensor* sensor = theSystem.sensor;
    if (!sensor || !mainForm) return;
    values.setLocalAltitude(h, sensor->pressure);
    mainForm->setText("lb_alti", formatFixed(h, 1));
    mainForm->setText("lb_altifeet", formatFixed(h * 3.28, 1));
}

void TmainDisplay::computeAltitude() {
    Tsensor* sensor = theSystem.sensor;
    if (!sensor) return;
    values.updateAltitude(sensor->pressure);
    showAltitude(values.altitude, true);
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

void TmainDisplay::updateDerived() {
    showSeaLevelPressure();
    computeAltitude();
    // The weather model sees valid pressures only: the invalid marker would classify as sunny
    // and stay in the hourly history.
    if (theSystem.meteo && seaLevelPressureValid())
        theSystem.meteo->update(values.seaLevelPressure);
    showWeather();
    updateMinMax();
}

bool TmainDisplay::seaLevelPressureValid() const {
    return theSystem.sensor && values.seaLevelPressureValid(theSystem.sensor->pressure);
}

// The extremes start afresh from the current values, as far as they are valid.
void TmainDisplay::resetMinMax() {
    if (!theSystem.sensor) return;
    values.pressureSeen = values.altitudeSeen = values.temperatureSeen = false;
    updateMinMax();
}

// Only valid values enter the extremes; a quantity without one yet shows dashes.
void TmainDisplay::updateMinMax() {
    Tsensor* sensor = theSystem.sensor;
    if (!sensor || !mainForm) return;
    values.updateMinMax(sensor->pressure, sensor->temperature);
    const TstationValues& v = values;
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
    if (!theSystem.meteo || !smallForm || !mainForm) return;
    const std::uint8_t c = theSystem.meteo->getWeatherClass();
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

double TmainDisplay::getParameter(int code) {
    Tsensor* sensor = theSystem.sensor;
    Tmeteo* meteo = theSystem.meteo;
    switch (code) {
    case codeN: return sensor ? sensor->getN() : 0.0;
    case codeTS: return sensor ? sensor->getTS() : 0.0;
    case codeAltitude: return values.localAltitude;
    case codeSunny: return meteo ? meteo->getSunnyLimit() : 0.0;
    case codeVariable: return meteo ? meteo->getVariableLimit() : 0.0;
    case codeOvercast: return meteo ? meteo->getOvercastLimit() : 0.0;
    case codeHysteresis: return meteo ? meteo->getHysteresis() : 0.0;
    case codeSeaLevelOffset: return values.seaLevelOffset;
    case codeQuickDown: return meteo ? meteo->getQuickDownRate() : 0.0;
    case codeSlowDown: return meteo ? meteo->getSlowDownRate() : 0.0;
    case codeQuickUp: return meteo ? meteo->getQuickUpRate() : 0.0;
    case codeSlowUp: return meteo ? meteo->getSlowUpRate() : 0.0;
    case codeMinimized: return minimized ? 1.0 : 0.0;
    case codeSaveOnExit: return autosaveOnExit ? 1.0 : 0.0;
    case codeSmallX: return smallForm ? smallForm->formLeft() : 0.0;
    case codeSmallY: return smallForm ? smallForm->formTop() : 0.0;
    default: return 0.0;
    }
}

void TmainDisplay::setParameter(int code, double v) {
    Tsensor* sensor = theSystem.sensor;
    Tmeteo* meteo = theSystem.meteo;
    switch (code) {
    // Truncated here, so that a value beyond the integer range stops at its ends.
    case codeN:
        if (sensor) sensor->setN(truncateToInt(v));
        return;
    case codeTS:
        if (sensor) sensor->setTS(truncateToInt(v));
        return;
    case codeAltitude: {
        const double old = values.localAltitude;
        setLocalAltitude(v);
        computeAltitude();
        showSeaLevelPressure();
        if (v != old) {
            if (meteo) meteo->clearHistory();
            resetMinMax();
        }
        return;
    }
    case codeSeaLevelOffset: values.seaLevelOffset = v; return;
    case codeMinimized:
        minimized = v != 0;
        showWindows();
        return;
    case codeSaveOnExit:
        autosaveOnExit = v != 0;
        if (mainForm) mainForm->setChecked("Autosavesettingsonexit1", autosaveOnExit);
        return;
    case codeSmallX:
        if (smallForm) smallForm->moveForm(truncateToInt(v), smallForm->formTop());
        return;
    case codeSmallY:
        if (smallForm) smallForm->moveForm(smallForm->formLeft(), truncateToInt(v));
        return;
    }
    if (!meteo) return;
    switch (code) {
    case codeSunny: meteo->setSunnyLimit(v); return;
    case codeVariable: meteo->setVariableLimit(v); return;
    case codeOvercast: meteo->setOvercastLimit(v); return;
    case codeHysteresis: meteo->setHysteresis(v); return;
    case codeQuickDown: meteo->setQuickDownRate(v); return;
    case codeSlowDown: meteo->setSlowDownRate(v); return;
    case codeQuickUp: meteo->setQuickUpRate(v); return;
    case codeSlowUp: meteo->setSlowUpRate(v); return;
    }
}

void TmainDisplay::getCalibration(Tsensor_wc* out) {
    if (theSystem.sensor && out) theSystem.sensor->getCalibration(out);
}

void TmainDisplay::setCalibration(const Tsensor_wc* in) {
    if (theSystem.sensor && in) theSystem.sensor->setCalibration(in);
}

void TmainDisplay::loadStartupSettings() {
    if (theSystem.meteo) theSystem.meteo->show(); // whether or not the file can be read
    readSettings("setup.ini");
}

void TmainDisplay::readSettings(const std::string& fileName) {
    if (!readSettingsFile(fileName, *this)) return;
    resetMinMax();
    updateDerived();
}

void TmainDisplay::writeSettings(const std::string& fileName) {
    if (!theSystem.meteo || !theSystem.sensor || !smallForm)
        reportSettingsWriteError(fileName);
    else
        writeSettingsFile(fileName, settingsText(*this));
}

void TmainDisplay::detectModule() {
    if (theSystem.seqMain) theSystem.seqMain->restart();
}

void TmainDisplay::loadSettingsDialog() {
    if (!theSystem.prompts) return;
    const std::string name =
        theSystem.prompts->openFile("Load settings", settingsFilter, openFileName);
    if (name.empty()) return;
    openFileName = withDefaultExtension(name);
    readSettings(openFileName);
}

void TmainDisplay::saveSettingsAsDialog() {
    if (!theSystem.prompts) return;
    const std::string name =
        theSystem.prompts->saveFile("Save settings As", settingsFilter, saveFileName);
    if (name.empty()) return;
    saveFileName = withDefaultExtension(name);
    writeSettings(saveFileName);
}

void TmainDisplay::toggleAutosave() {
    setParameter(codeSaveOnExit, autosaveOnExit ? 0.0 : 1.0);
}

void TmainDisplay::minimize() {
    minimized = true;
    showWindows();
}

void TmainDisplay::closeApplication() {
    if (!theSystem.prompts) return;
    const TpromptAnswer answer = theSystem.prompts->message(
        "Close application ?", "Confirm", TpromptIcon::Question, TpromptButtons::YesNo);
    if (answer == TpromptAnswer::Yes) endApplication();
}

void TmainDisplay::endApplication() {
    if (autosaveOnExit) writeSettings(saveFileName.empty() ? "setup.ini" : saveFileName);
    if (theSystem.seqMain) theSystem.seqMain->cancel(nullptr, false);
}

void TmainDisplay::applyChartLayout() {
    if (!theSystem.chartView) return;
    const double h = theSystem.sensor ? theSystem.sensor->humidity : 0.0;
    if (h > 0 && h <= 999) {
        theSystem.chartView->SetHumidityLayout(true);
        humidityLayout = true;
    } else if (!humidityLayout) {
        theSystem.chartView->SetHumidityLayout(false);
    }
}
