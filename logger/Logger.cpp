#include "logger/Logger.h"

#include "core/Globals.h"
#include "logger/DateTimeText.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

Tlogger::Tlogger(TloggerOptions loggerOptions, std::function<void(const std::string&)> sayLine,
                 TcalendarClock clock)
    : TeventResource("logger"), options(std::move(loggerOptions)), say(std::move(sayLine)),
      prompts(say), dataLog([clock] { return localDateTimeText(clock()); }),
      fileSink(dataLog, TdataFileSink::Lines::Measured,
               [this](bool written) {
                   if (!written) stop(1);
               }),
      finder(options.port, say, clock, options.verbose, [this] { measuring->moduleLost(); }),
      measuring(std::make_unique<Tstation>(clock)),
      stopTimeout(std::make_unique<Tdelay_resource>("logger stop")) {
    stopTimeout->reserve(this, false);
    finder.watch(&measuring->sensor());
    measuring->setSearchPlan(
        [this](const Tserial_enum& present) { return finder.searchPlan(present); });
    measuring->setApp(this);
    measuring->addSink(&finder);
    measuring->addSink(&fileSink);
    setUpPressure();
    theSystem.prompts = &prompts;
    theSystem.parameters = measuring.get();
}

// The station (the sensor with its ports first) goes while its sinks and the prompts are there.
Tlogger::~Tlogger() {
    measuring.reset();
    theSystem.prompts = nullptr;
    theSystem.parameters = nullptr;
}

bool Tlogger::useSettingsFile(const char* without) {
    const bool there = ::access(options.settingsFile.c_str(), F_OK) == 0 || errno != ENOENT;
    measuring->setSettingsFile(there ? options.settingsFile : std::string(), false);
    if (!there) say("no settings file " + options.settingsFile + ": " + without);
    return there;
}

bool Tlogger::start() {
    useSettingsFile("measuring with the defaults");
    if (!openDataFile()) return false;
    openArchive();
    measuring->start();
    alarmSink->recalled(measuring->pressureProducts().alarm().raised());
    return true;
}

void Tlogger::setUpPressure() {
    const TpressureOptions& p = options.pressure;
    measuring->setHistory(&past);
    measuring->setPressureOffset(p.offset);
    measuring->pressureProducts().alarm().drop = p.stormDrop;
    measuring->pressureProducts().alarm().hysteresis = p.stormHysteresis;
    if (!p.alarmCommand.empty())
        alarmCommand = std::make_unique<TalarmCommand>(p.alarmCommand, say);
    alarmSink = std::make_unique<TstormAlarmSink>(p.units, say, alarmCommand.get());
    measuring->addSink(alarmSink.get());
    if (!p.calibrateQnh) return;
    const auto print = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    calibration =
        std::make_unique<Tcalibration>(*p.calibrateQnh, p.units, print, [this] { requestStop(); });
    measuring->addSink(calibration.get());
}

bool Tlogger::openDataFile() {
    std::string reason;
    if (dataLog.beginAppending(options.dataFile, reason)) return true;
    say("cannot open the data file " + options.dataFile + ": " + reason);
    status = 1;
    return false;
}

// An archive that cannot be kept is said in one line; measuring and the data file go on.
void Tlogger::openArchive() {
    if (!options.archive.enabled()) return;
    const std::string path = options.archive.path(options.dataFile);
    if (path.empty()) {
        say("no archive beside " + options.dataFile + ", not a file (--archive FILE names one)");
        return;
    }
    try {
        archive = std::make_unique<TarchiveWriter>(path, options.archive.keepRawDays(), say);
        archiveReader = std::make_unique<TarchiveReader>(path);
    } catch (const TarchiveRefused& e) {
        say("no archive kept, measuring goes on: " + std::string(e.what()));
        archive.reset();
        return;
    }
    measuring->setHistory(archiveReader.get());
    measuring->addSink(archive.get());
}

void Tlogger::OnNotification(TeventResource* sender, std::int32_t code) {
    if (sender == stopTimeout.get()) {
        done = true;
    } else if (sender != this || stopping) {
        return;
    } else if (code == Stop) {
        stop(0);
    } else if (code == Reload) {
        if (useSettingsFile("the settings stay as they were")) measuring->reloadSettings();
        if (!openDataFile()) stop(1);
    }
}

// The main sequence's end lets go of the sensor and quits the loop; a step that cannot be
// cancelled (a pause of the search) is left after a short wait all the same.
void Tlogger::stop(int exitCode) {
    if (stopping) return;
    stopping = true;
    status = exitCode;
    measuring->stop();
    stopTimeout->setDelay(StopTimeoutMs);
}
