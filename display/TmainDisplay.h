#pragma once

#include "display/MainView.h"
#include "display/MeteoView.h"
#include "display/SettingsStore.h"
#include "display/Tmeteo.h"
#include "measurement/ParameterAccess.h"

#include <cstdint>
#include <string>

class TformView;

// The main display: everything the main window shows and computes for a sample, the parameter
// access by code, the settings file and the closing of the program. It writes to the main and
// the small window through their control names and reads the sensor and the weather model
// through theSystem; every operation does nothing while an object it needs is missing.
class TmainDisplay : public TmainView,
                     public TmeteoView,
                     public TparameterAccess,
                     public TsettingsStore {
public:
    static constexpr double Invalid = 9999.9;
    static constexpr int TrendNone = TREND_NONE;

    void setMainForm(TformView* form) { mainForm = form; }
    void setSmallForm(TformView* form) { smallForm = form; }
    // Where the six history bars go (the main window); null shows none.
    void setBarView(TmeteoView* bars) { barView = bars; }

    // TmainView
    void setModuleText(const char* text) override;
    void resetReference() override;
    void showSample() override;

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

    // TsettingsStore: reads "setup.ini".
    void loadStartupSettings() override;

    void showPressure(double p);
    void showHumidity(double h);
    void showTemperature(double t, bool forced);
    void showSeaLevelPressure();
    void setLocalAltitude(double h);
    void computeAltitude();
    void showAltitude(double a, bool forced);
    void updateDerived();
    void resetMinMax();
    void updateMinMax();
    void showWeather();
    void showWindows();

    // Reads a settings file, then restarts the min/max and refreshes every derived value.
    void readSettings(const std::string& fileName);
    // Writes every setting; needs the sensor, the weather model and the small window.
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

    double localAltitude = 0;
    double referencePressure = 0;
    double localStandardPressure = 0;
    double seaLevelOffset = 0;
    double seaLevelPressure = 0;
    double altimeterOffset = 0;
    double altitude = 0;
    std::int32_t gaugeState = 0;
    double gaugeBottom = 0;
    double gaugeScale = 0;
    double lastTemperature = 0;
    double shownPressure = 0;
    double shownHumidity = 0;
    double pressureMin = 0, pressureMax = 0;
    double altitudeMin = 0, altitudeMax = 0;
    double temperatureMin = 0, temperatureMax = 0;
    // Whether a valid value has entered each pair of extremes since the last reset.
    bool pressureSeen = false, altitudeSeen = false, temperatureSeen = false;
    // A valid pressure has become the altimeter reference; until then the next valid one does.
    bool referenceHeld = false;
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
    void showArrow();
    void setWeatherPictures(std::uint8_t weatherClass, bool visible);
    void setBoth(const char* control, bool visible);

    TformView* mainForm = nullptr;
    TformView* smallForm = nullptr;
    TmeteoView* barView = nullptr;
};
