#pragma once

#include "logger/MqttOptions.h"
#include "logger/PressureOptions.h"
#include "logger/archive/ArchiveOptions.h"
#include "logger/web/HttpOptions.h"

#include <string>
#include <vector>

// The logger's command line.
struct TloggerOptions {
    std::string settingsFile = "./setup.ini";
    std::string dataFile = "./samples.dat";
    // "LPT1" or "COM%d"; empty: search LPT1 and every serial port present.
    std::string port;
    bool verbose = false;
    TmqttOptions mqtt;         // publishing is off unless --mqtt names a broker
    TpressureOptions pressure; // calibration, units, storm alarm
    TarchiveOptions archive{}; // on unless --no-archive
    ThttpOptions http;         // the web page, API and metrics: on the loopback address by default

    // The option groups beside the logger's own.
    std::vector<TloggerOptionGroup*> groups() { return {&mqtt, &pressure, &archive, &http}; }
};

enum class TloggerCommand { Run, Help, Version, Bad };

// Reads GNU-style options (getopt_long). On Bad, `error` holds one line naming the option.
TloggerCommand parseLoggerOptions(int argc, char** argv, TloggerOptions& options,
                                  std::string& error);

// The port of a --port value: "LPT1", a "COM%d" name, or a device path of the COM scheme
// (/dev/ttyUSB0 is COM33); empty when the value names no port.
std::string portFromOption(const std::string& value);

// The text of --help.
std::string loggerUsage();
