#pragma once

#include "measurement/IntroView.h"
#include "measurement/MainView.h"
#include "measurement/ParameterAccess.h"
#include "measurement/Seqmain.h"
#include "measurement/SettingsStore.h"
#include "station/PressureProducts.h"
#include "station/Reading.h"
#include "station/ReadingHistory.h"
#include "station/StationValues.h"
#include "station/Tmeteo.h"

#include <memory>
#include <string>
#include <vector>

class Tsensor;
class TappControl;

// The measuring station without a window: the sensor, the main sequence, the weather model, the
// derived values and the settings by code, on whatever event loop runs. After every measurement
// it hands one Treading to each sink added to it, and tells them its events: the search, the
// link, the module lost and found again, the reference reset, the settings read.
// The sensor and the main sequence reach each other through theSystem's sensor, seqMain and
// mainView, which the station fills while it lives; nothing else of it is reached that way.
class Tstation : public TintroView,
                 public TmainView,
                 public TsettingsStore,
                 public TparameterAccess {
public:
    explicit Tstation(TcalendarClock clock = systemCalendarTime);
    ~Tstation() override;
    Tstation(const Tstation&) = delete;
    Tstation& operator=(const Tstation&) = delete;

    // The sinks are not owned; each is told in the order it was added, until the station is
    // shut down. A sink that goes before is removed first.
    void addSink(TreadingSink* sink) { sinks.push_back(sink); }
    void removeSink(TreadingSink* sink);

    // The settings file read at the start of a search: at every search, with the weather
    // model's bars and trend shown afresh first (the desktop program), or at the first search
    // only and then again by reloadSettings (the logger). Unset, no file is read.
    void setSettingsFile(std::string fileName, bool everySearch);
    // The ports a search tries; unset, LPT1 and then every serial port present.
    void setSearchPlan(TseqMAIN::TsearchPlan plan);
    // Told when the main sequence has ended, after a stop.
    void setApp(TappControl* app);
    // Where the settings of the windows go (codes 13 to 16); without them they read 0.
    void setWindowParameters(TparameterAccess* windows) { windowParameters = windows; }

    // The past the station recalls at its start (not owned); with one, every reading carries
    // the pressure products (QFF, 3-hour tendency, storm alarm), and the weather model's hourly
    // history is rebuilt from it. Without one (the desktop program) they stay absent and every
    // start begins with an empty weather history.
    void setHistory(const TreadingHistory* past) { history = past; }
    // The calibration [hPa] added to the measured pressure before anything is derived from it;
    // the raw conversion words stay as measured.
    void setPressureOffset(double hPa) { pressureOffset = hPa; }
    TpressureProducts& pressureProducts() { return products; }

    // Starts the main sequence: the settings, the search, then a measurement every TS.
    void start();
    // A new search, as the menu asks for it.
    void searchAgain();
    // The module stopped answering: the sinks are told and a new search begins.
    void moduleLost();
    // Cancels the main sequence; from now on no reading is handed on.
    void stop();
    // "Clear min/max values": the extremes start afresh from the present values.
    void clearMinMax();
    // Destroys the sensor with its ports first, then the main sequence and the weather model;
    // afterwards only sinks may still be removed. The destructor does it too.
    void shutDown();
    // Reads a settings file and applies it; false when it cannot be read.
    bool readSettings(const std::string& fileName);
    // Reads the settings file set now.
    void reloadSettings();

    Tsensor& sensor() { return *sensorPart; }
    Tmeteo& meteo() { return *meteoPart; }
    TseqMAIN& sequence() { return *seq; }
    const TstationValues& values() const { return derived; }
    // The reading of the sensor's present values.
    Treading readingNow() const;

    // TintroView: the search of the main sequence, told to the sinks.
    void showIntro() override;
    void searching(const char* port) override;
    void result(bool found) override;
    void closeIntro(bool found) override;
    // TmainView: the sensor's link and each finished measurement.
    void setModuleText(const char* text) override;
    void resetReference() override;
    void showSample() override;
    // TsettingsStore
    void loadStartupSettings() override;
    // TparameterAccess
    double getParameter(int code) override;
    void setParameter(int code, double value) override;
    void getCalibration(Tsensor_wc* out) override;
    void setCalibration(const Tsensor_wc* in) override;

private:
    void attachParts(TappControl* app);
    // Asks the history once for the recent past, at the start.
    void recall();
    // The station pressure: the sensor's measured pressure plus the offset, or its marker.
    double qfe() const;
    void updateDerived();
    void deliver(const Treading& reading);
    template <class Event> void tell(Event event);
    void setMeteoParameter(int code, double value);

    TcalendarClock clock;
    std::unique_ptr<Tsensor> sensorPart;
    std::unique_ptr<Tmeteo> meteoPart;
    std::unique_ptr<TseqMAIN> seq;
    TstationValues derived;
    const TreadingHistory* history = nullptr;
    double pressureOffset = 0;
    TpressureProducts products;
    std::vector<TreadingSink*> sinks;
    TparameterAccess* windowParameters = nullptr;
    std::string settingsFile;
    bool settingsEverySearch = false;
    bool settingsLoaded = false;
    bool lost = false;
    bool stopped = false;
};
