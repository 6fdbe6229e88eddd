#pragma once

// The logger program against the module emulator program on a real pty, each in a test's own
// directory.
#include "LoggerTestSupport.h"
#include "ProcessSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

using Lines = std::vector<std::string>;

inline Lines textLines(const std::string& text) {
    Lines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A sample line as the data file writes it, with no invalid marker in it.
inline bool isWholeSample(const std::string& line) {
    static const std::regex sample(
        R"([^;]+;\d+;\d+;-?\d+\.\d\d;-?\d+\.\d\d;-?\d+\.\d\d(;-?\d+\.\d\d;-?\d+\.\d\d)?)");
    return std::regex_match(line, sample) && line.find("9999.90") == std::string::npos &&
           line.find(";999.90") == std::string::npos;
}

struct LoggerProgram : ::testing::Test {
    // The emulator at the wire rate; its first line names the COM number it publishes.
    void startEmulator() {
        emulator = std::make_unique<ChildProcess>(CORV_EMULATOR,
                                                  std::vector<std::string>{"--weather", "--pace",
                                                                           "--conversion-ms", "70",
                                                                           "--humidity-ms", "265"},
                                                  dir.path, dir.file("emulator.err"));
        const std::string first = emulator->readLine();
        port = first.substr(0, first.find(':'));
        ASSERT_EQ(port.rfind("COM", 0), 0u) << first << readWhole(dir.file("emulator.err"));
    }
    void startLogger(std::vector<std::string> extra = {}) {
        // Without the web server: tests run side by side, and its fixed port is one.
        std::vector<std::string> args{"--port", port,          "--settings", "setup.ini",
                                      "--data", "samples.dat", "--no-http"};
        args.insert(args.end(), extra.begin(), extra.end());
        logger =
            std::make_unique<ChildProcess>(CORV_LOGGER, args, dir.path, dir.file("logger.err"));
    }
    Lines samples(const std::string& file, bool& whole) {
        return sampleLines(crlfLines(readWhole(dir.file(file)), whole));
    }
    // Waits until the file holds at least n sample lines.
    bool waitForSamples(const std::string& file, std::size_t n, int ms = 30'000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        bool whole = false;
        while (std::chrono::steady_clock::now() < until) {
            if (samples(file, whole).size() >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::string loggerErrors() { return readWhole(dir.file("logger.err")); }

    TempDir dir;
    std::string port;
    std::unique_ptr<ChildProcess> emulator;
    std::unique_ptr<ChildProcess> logger;
};
