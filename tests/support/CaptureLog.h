#pragma once

#include "core/Tdebug.h"

#include <string>
#include <vector>

// Collects the log lines written while it is installed.
class TcaptureLog : public TdebugSink {
public:
    TcaptureLog() : previous(debugSink()) { setDebugSink(this); }
    ~TcaptureLog() override { setDebugSink(previous); }
    TcaptureLog(const TcaptureLog&) = delete;
    TcaptureLog& operator=(const TcaptureLog&) = delete;

    void appendLine(const char* line) override { lines.emplace_back(line); }
    bool contains(const std::string& line) const {
        for (const auto& l : lines)
            if (l == line) return true;
        return false;
    }

    std::vector<std::string> lines;

private:
    TdebugSink* previous;
};
