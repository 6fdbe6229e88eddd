// corvasine-logger: measures with the module and appends every sample to the data file, with
// nobody at a screen; finds the module again by itself.
#include "Version.h"
#include "core/RealtimeLoop.h"
#include "core/Tdebug.h"
#include "logger/Logger.h"
#include "logger/LoggerOptions.h"
#include "logger/MqttPublisher.h"
#include "logger/SignalWatcher.h"
#include "logger/archive/ArchiveCommand.h"
#include "logger/archive/ArchiveReader.h"
#include "logger/web/WebFront.h"

#include <clocale>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>

namespace {

void sayLine(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

// With --verbose the debug log, which the desktop program shows in its debug window, goes to
// standard error too (one line a call, from any thread).
class TstderrDebugSink : public TdebugSink {
public:
    void appendLine(const char* line) override { sayLine(line); }
};

bool startMqtt(const TloggerOptions& options, std::unique_ptr<TmqttPublisher>& mqtt) {
    if (!options.mqtt.enabled()) return true;
    mqtt = std::make_unique<TmqttPublisher>(options.mqtt.settings(), sayLine);
    std::string error;
    if (mqtt->start(error)) return true;
    sayLine("corvasine-logger: " + error);
    return false;
}

// The web server binds before the station starts: an address in use ends the logger at once.
// A calibration run, which ends after one sample, goes without it. The server reads the archive
// through a connection of its own.
bool startWeb(const TloggerOptions& options, std::unique_ptr<TwebFront>& web) {
    if (!options.http.enabled() || options.pressure.calibrateQnh) return true;
    ThistoryFactory history;
    if (options.archive.enabled() && !options.archive.path(options.dataFile).empty())
        history = [path = options.archive.path(options.dataFile)] {
            try {
                return std::unique_ptr<ThistorySource>(std::make_unique<TarchiveReader>(path));
            } catch (const std::exception&) { // refused at the start already, in one line
                return std::unique_ptr<ThistorySource>();
            }
        };
    web = std::make_unique<TwebFront>(options.mqtt.enabled() ? options.mqtt.settings().station.name
                                                             : hostStationName(),
                                      systemCalendarTime, std::move(history));
    std::string error;
    if (web->start(options.http.endpoint(), error)) return true;
    sayLine("corvasine-logger: " + error);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_TIME, "");
    TloggerOptions options;
    std::string error;
    switch (parseLoggerOptions(argc, argv, options, error)) {
    case TloggerCommand::Bad: sayLine("corvasine-logger: " + error); return 2;
    case TloggerCommand::Help: std::fputs(loggerUsage().c_str(), stdout); return 0;
    case TloggerCommand::Version: std::printf("corvasine-logger %s\n", CorvVersion); return 0;
    case TloggerCommand::Run: break;
    }
    if (options.archive.command() != TarchiveOptions::Tcommand::Measure)
        return runArchiveCommand(options.archive, options.pressure.units, options.dataFile, sayLine,
                                 stdout);
    TsignalWatcher::blockSignals();
    TstderrDebugSink debugLines;
    if (options.verbose) setDebugSink(&debugLines);
    TrealtimeLoop loop;
    Tlogger logger(options, sayLine);
    std::unique_ptr<TmqttPublisher> mqtt;
    std::unique_ptr<TwebFront> web;
    if (!startMqtt(options, mqtt) || !startWeb(options, web)) return 2;
    if (!logger.start()) return logger.exitStatus();
    if (mqtt) logger.addSink(mqtt.get());
    if (web) logger.addSink(web->sink());
    TsignalWatcher signals([&logger](int signal) {
        if (signal == SIGHUP)
            logger.requestReload();
        else
            logger.requestStop();
    });
    while (!logger.finished())
        loop.runUntil([&logger] { return logger.finished(); }, 60'000);
    if (mqtt) logger.station().removeSink(mqtt.get()); // the publisher goes first
    if (web) logger.station().removeSink(web->sink());
    return logger.exitStatus();
}
