#pragma once

#include "logger/LoggerOptions.h"

#include <string>
#include <vector>

// A logger command line as getopt_long sees it, and what the logger made of it.
struct ParsedLoggerOptions {
    TloggerCommand command;
    TloggerOptions options;
    std::string error;
};

// Parses `args` as the words after the program's name.
inline ParsedLoggerOptions parseLoggerArgs(std::vector<std::string> args) {
    args.insert(args.begin(), "corvasine-logger");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    ParsedLoggerOptions p;
    p.command = parseLoggerOptions(static_cast<int>(args.size()), argv.data(), p.options, p.error);
    return p;
}
