#pragma once

#include "logger/LoggerOptions.h"

#include <string>
#include <utility>

// The options of a logger run in a test: its files, the port and --verbose, every option group
// at its defaults.
inline TloggerOptions loggerRunOptions(std::string settings, std::string data, std::string port,
                                       bool verbose) {
    TloggerOptions options;
    options.settingsFile = std::move(settings);
    options.dataFile = std::move(data);
    options.port = std::move(port);
    options.verbose = verbose;
    return options;
}
