#pragma once

#include "charts/DataLog.h"
#include "core/AppControl.h"
#include "core/Eventresource.h"
#include "display/TmainDisplay.h"
#include "display/Tmeteo.h"
#include "logger/HeadlessForm.h"
#include "logger/LoggerChart.h"
#include "logger/LoggerOptions.h"
#include "logger/LoggerSettings.h"
#include "logger/Refinder.h"
#include "logger/StderrPrompts.h"

#include <functional>
#include <memory>
#include <string>

class Tsensor;
class TseqMAIN;

// The headless logging station: the sensor, the main sequence, the weather model, the main
// display logic and the data log, as the desktop program assembles them but without a window,
// on whatever event loop runs (the real-time loop in the program, a virtual one in tests).
// Texts that the desktop program shows in boxes become lines through `say`.
class Tlogger : public TeventResource, public TappControl {
public:
    // Codes posted to the logger, from any thread.
    enum : std::int32_t { Stop = 1, Reload = 2, StopTimeout = 3 };
    static constexpr std::int32_t StopTimeoutMs = 1500;

    Tlogger(TloggerOptions options, std::function<void(const std::string&)> say,
            TcalendarClock clock = systemCalendarTime);
    ~Tlogger() override;

    // Opens the data file and starts the main sequence; false (with one line said) when the
    // data file cannot be opened.
    bool start();
    // Thread-safe: end cleanly, or reopen the data file and reread the settings.
    void requestStop() { postNotification(this, Stop); }
    void requestReload() { postNotification(this, Reload); }

    void addObserver(TsampleObserver* observer) { chart.addObserver(observer); }
    bool finished() const { return done; }
    // 0 after a stop, 1 when the data file could not be written.
    int exitStatus() const { return status; }

    Trefinder& refinder() { return finder; }
    TmainDisplay& mainDisplay() { return display; }
    TseqMAIN& mainSequence() { return *seqMain; }

    void quit() override { done = true; }
    void OnNotification(TeventResource* sender, std::int32_t code) override;

private:
    bool openDataFile();
    void searchAgain();
    void stop(int exitCode);
    void wire();

    TloggerOptions options;
    std::function<void(const std::string&)> say;
    TstderrPrompts prompts;
    TheadlessForm mainForm;
    TheadlessForm smallForm;
    TmainDisplay display;
    TdataLog dataLog;
    Trefinder finder;
    TloggerChart chart;
    TloggerSettings settings;
    std::unique_ptr<Tsensor> sensor;
    std::unique_ptr<Tmeteo> meteo;
    std::unique_ptr<TseqMAIN> seqMain;
    std::unique_ptr<Tdelay_resource> stopTimeout;
    bool stopping = false;
    bool done = false;
    int status = 0;
};
