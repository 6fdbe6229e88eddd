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

#include <clocale>
#include <csignal>
#include <cstdio>
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
    if (options.mqtt.enabled()) {
        mqtt = std::make_unique<TmqttPublisher>(options.mqtt.settings(), sayLine);
        if (!mqtt->start(error)) {
            sayLine("corvasine-logger: " + error);
            return 2;
        }
    }
    if (!logger.start()) return logger.exitStatus();
    if (mqtt) logger.addSink(mqtt.get());
    TsignalWatcher signals([&logger](int signal) {
        if (signal == SIGHUP)
            logger.requestReload();
        else
            logger.requestStop();
    });
    while (!logger.finished())
        loop.runUntil([&logger] { return logger.finished(); }, 60'000);
    if (mqtt) logger.station().removeSink(mqtt.get()); // the publisher goes first
    return logger.exitStatus();
}
