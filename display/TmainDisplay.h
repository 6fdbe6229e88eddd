#pragma once

#include "measurement/ParameterAccess.h"
#include "station/MeteoView.h"
#include "station/Reading.h"
#include "station/StationValues.h"
#include "station/Tmeteo.h"

#include <cstdint>
#include <string>

class TformView;
class Tstation;

// The presenter of the main and the small window, a sink of the station: it turns readings and
// the station's values into the texts, pictures and colours of both windows through their
// control names, and holds the window settings, the settings file dialogs and the closing of
// the program. Settings by code other than the windows' go to the station. Every operation does
// nothing while an object it needs is missing.
class TmainDisplay : public TreadingSink, public TmeteoView, public TparameterAccess {
public:
    static constexpr double Invalid = 9999.9;
    static constexpr int TrendNone = TREND_NONE;

    TmainDisplay() = default;
    ~TmainDisplay() override { setStation(nullptr); }
    TmainDisplay(const TmainDisplay&) = delete;
    TmainDisplay& operator=(const TmainDisplay&) = delete;

    // Shows this station: becomes its sink and the keeper of its window settings; null leaves
    // the station shown so far.
    void setStation(Tstation* shown);
    void setMainForm(TformView* form) { mainForm = form; }
    void setSmallForm(TformView* form) { smallForm = form; }
    // Where the six history bars go (the main window); null shows none.
    void setBarView(TmeteoView* bars) { barView = bars; }

    // TreadingSink
    void reading(const Treading& reading) override;
    void linkChanged(int link) override;
    void referenceReset() override { showValues(); }
    void settingsReloaded() override { showValues(); }

    // TmeteoView: the bars go to the bar view, the trend is shown here.
    void setBarEnabled(int bar, bool enabled) override;
    void setBarValue(int bar, double mbar) override;
    void setBarLowRange(int bar, double mbar) override;
    void setBarHighRange(int bar, double mbar) override;
    void showTrend(int trend, double variation) override;

    // TparameterAccess
    double getParameter(int code) override;
    void setParameter(int code, double value) override;
    void getCalibration(Tsensor_wc* out) override;
    void setCalibration(const Tsensor_wc* in) override;

    void setModuleText(const char* text);
    void showPressure(double p);
    void showHumidity(double h);
    void showTemperature(double t, bool forced);
    void showSeaLevelPressure();
    void showLocalAltitude();
    void showAltitude(double a, bool forced);
    void showMinMax();
    void showWeather();
    // Every value the station derives: local altitude, sea-level pressure, altitude, weather
    // and extremes.
    void showValues();
    void showWindows();
    // "Clear min/max values": the extremes start afresh from the present values.
    void resetMinMax();

    // The values shown; without a station, a set of none.
    const TstationValues& values() const;

    // The station reads "setup.ini" and applies it.
    void loadStartupSettings();
    // The station reads a settings file; its values then show afresh.
    void readSettings(const std::string& fileName);
    // Writes every setting; needs the station and the small window.
    void writeSettings(const std::string& fileName);

    // Menu actions.
    void detectModule();
    void loadSettingsDialog();
    void saveSettingsAsDialog();
    void toggleAutosave();
    void minimize();
    // Asks "Close application ?"; on Yes ends the program as endApplication does.
    void closeApplication();
    // Saves the settings when autosave is on and cancels the main sequence, whose end closes the
    // port and the program.
    void endApplication();
    // Lays the chart window and its range dialog out with the humidity plots while the sensor
    // reports a humidity; without one they keep the humidity layout once it has been set.
    void applyChartLayout();

    // The altitude the gauge shows, held to its range.
    double altitude = 0;
    std::int32_t gaugeState = 0;
    double gaugeBottom = 0;
    double gaugeScale = 0;
    double lastTemperature = 0;
    double shownPressure = 0;
    double shownHumidity = 0;
    std::uint8_t shownWeatherClass = 0;
    // Nothing told yet: the first trend, even none, replaces the window's design-time caption.
    std::uint8_t shownTrend = 0xff;
    bool minimized = false;
    bool autosaveOnExit = true;
    bool humidityLayout = false;
    // The file names the open and save dialogs start with; the save name is the exit target.
    std::string openFileName = "setup.ini";
    std::string saveFileName = "setup.ini";

private:
    bool seaLevelPressureValid() const;
    // The sensor's present pressure, its marker without a station.
    double pressureNow() const;
    void showArrow();
    void setWeatherPictures(std::uint8_t weatherClass, bool visible);
    void setBoth(const char* control, bool visible);

    Tstation* station = nullptr;
    TformView* mainForm = nullptr;
    TformView* smallForm = nullptr;
    TmeteoView* barView = nullptr;
};
