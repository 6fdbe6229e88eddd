#pragma once

#include "logger/archive/Archive.h"

#include <functional>
#include <string>

// What an import of one data file did.
struct TimportResult {
    bool read = false;       // the file could be read, and the archive written
    std::size_t added = 0;   // readings new to the archive
    std::size_t already = 0; // readings it held already
    std::size_t withoutMeasurement = 0;
    std::vector<int> unreadable; // line numbers
};

// Adds the readings of a data file to the archive, in transactions of many readings; a line
// that cannot be read is said with its number, never guessed.
TimportResult importDataFile(Tarchive& archive, const std::string& file,
                             const std::function<void(const std::string&)>& say);
// One line for all the files an import read.
std::string importSummary(const std::vector<TimportResult>& results);
