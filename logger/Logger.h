#pragma once

#include "charts/DataFileSink.h"
#include "charts/DataLog.h"
#include "core/AppControl.h"
#include "core/Eventresource.h"
#include "logger/AlarmCommand.h"
#include "logger/Calibration.h"
#include "logger/LoggerOptions.h"
#include "logger/NoHistory.h"
#include "logger/Refinder.h"
#include "logger/StderrPrompts.h"
#include "logger/StormAlarmSink.h"
#include "logger/archive/ArchiveReader.h"
#include "logger/archive/ArchiveWriter.h"
#include "station/Station.h"
#include "station/Tmeteo.h"

#include <functional>
#include <memory>
#include <string>

// The headless logging station: the station and its sinks, on whatever event loop runs (the
// real-time loop in the program, a virtual one in tests). Its own sinks are the re-finder,
// which finds a lost module again, and the data file, which takes every measured reading; more
// (the MQTT publisher) are added with addSink. Texts that the desktop program shows in boxes
// become lines through `say`.
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

    // An output after the data file: it hears of the readings while the file takes them.
    void addSink(TreadingSink* sink) { measuring->addSink(sink); }
    bool finished() const { return done; }
    // 0 after a stop, 1 when the data file could not be written.
    int exitStatus() const { return status; }

    Trefinder& refinder() { return finder; }
    Tstation& station() { return *measuring; }

    void quit() override { done = true; }
    void OnNotification(TeventResource* sender, std::int32_t code) override;

private:
    bool openDataFile();
    // Gives the station the settings file when there is one. Without it (a station installed
    // afresh) one line says so and what follows (`without`) instead of an error; true when
    // there is one.
    bool useSettingsFile(const char* without);
    // The pressure options: the offset, the storm alarm's thresholds, its sink and command, the
    // calibration.
    void setUpPressure();
    void openArchive();
    void stop(int exitCode);

    TloggerOptions options;
    std::function<void(const std::string&)> say;
    TstderrPrompts prompts;
    TdataLog dataLog;
    TdataFileSink fileSink;
    Trefinder finder;
    TnoHistory past;
    std::unique_ptr<TalarmCommand> alarmCommand;
    std::unique_ptr<TstormAlarmSink> alarmSink;
    std::unique_ptr<Tcalibration> calibration;
    // The archive after the data file (written on its own thread), and the station's past read
    // back from it.
    std::unique_ptr<TarchiveWriter> archive;
    std::unique_ptr<TarchiveReader> archiveReader;
    // Made after its sinks and gone before them and before the prompts.
    std::unique_ptr<Tstation> measuring;
    std::unique_ptr<Tdelay_resource> stopTimeout;
    bool stopping = false;
    bool done = false;
    int status = 0;
};
