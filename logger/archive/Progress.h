#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// A progress bar on standard error for a long import or export, drawn only when standard error
// is a terminal, redrawn at most once a percent and wiped at the end.
class Tprogress {
public:
    Tprogress(std::string label, std::int64_t total);
    ~Tprogress();
    Tprogress(const Tprogress&) = delete;
    Tprogress& operator=(const Tprogress&) = delete;
    void advance(std::int64_t done);

private:
    std::string label;
    std::int64_t total;
    bool shown;
    int percent = -1;
};
