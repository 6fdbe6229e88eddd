#include "logger/Logger.h"

#include "core/Globals.h"
#include "logger/DateTimeText.h"
#include "measurement/Seqmain.h"
#include "measurement/Tsensor.h"

Tlogger::Tlogger(TloggerOptions loggerOptions, std::function<void(const std::string&)> sayLine,
                 TcalendarClock clock)
    : TeventResource("logger"), options(std::move(loggerOptions)), say(std::move(sayLine)),
      prompts(say), dataLog([clock] { return localDateTimeText(clock()); }),
      finder(options.port, say, clock, options.verbose, [this] { searchAgain(); }),
      chart(dataLog, display, finder, clock), settings(display, options.settingsFile),
      sensor(std::make_unique<Tsensor>()), meteo(std::make_unique<Tmeteo>(clock)),
      seqMain(std::make_unique<TseqMAIN>()),
      stopTimeout(std::make_unique<Tdelay_resource>("logger stop")) {
    stopTimeout->reserve(this, false);
    display.setMainForm(&mainForm);
    display.setSmallForm(&smallForm);
    seqMain->searchPlan = [this](const Tserial_enum& present) {
        return finder.searchPlan(present);
    };
    chart.onWriteError([this] { stop(1); });
    wire();
}

// The desktop program's shutdown order: the sensor with its ports first, then the main
// sequence and the weather model.
Tlogger::~Tlogger() {
    sensor.reset();
    theSystem.sensor = nullptr;
    seqMain.reset();
    theSystem.seqMain = nullptr;
    meteo.reset();
    theSystem = Tsystem{};
}

void Tlogger::wire() {
    theSystem = Tsystem{.sensor = sensor.get(),
                        .meteo = meteo.get(),
                        .seqMain = seqMain.get(),
                        .mainView = &display,
                        .meteoView = &display,
                        .introView = &finder,
                        .chartView = &chart,
                        .prompts = &prompts,
                        .app = this,
                        .settings = &settings,
                        .parameters = &display};
}

// The re-finder searches again only while the module does not measure: lost, or not found yet.
void Tlogger::searchAgain() {
    chart.moduleLost();
    seqMain->restart();
}

bool Tlogger::start() {
    if (!openDataFile()) return false;
    seqMain->start();
    return true;
}

bool Tlogger::openDataFile() {
    std::string reason;
    if (dataLog.beginAppending(options.dataFile, reason)) return true;
    say("cannot open the data file " + options.dataFile + ": " + reason);
    status = 1;
    return false;
}

void Tlogger::OnNotification(TeventResource* sender, std::int32_t code) {
    if (sender == stopTimeout.get()) {
        done = true;
    } else if (sender != this || stopping) {
        return;
    } else if (code == Stop) {
        stop(0);
    } else if (code == Reload) {
        settings.reload();
        if (!openDataFile()) stop(1);
    }
}

// The main sequence's end lets go of the sensor and quits the loop; a step that cannot be
// cancelled (a pause of the search) is left after a short wait all the same.
void Tlogger::stop(int exitCode) {
    if (stopping) return;
    stopping = true;
    status = exitCode;
    seqMain->cancel(nullptr, false);
    stopTimeout->setDelay(StopTimeoutMs);
}
