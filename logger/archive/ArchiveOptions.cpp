#include "logger/archive/ArchiveOptions.h"

#include <filesystem>

const std::vector<option>& TarchiveOptions::longOptions() const {
    static const std::vector<option> table{
        {"archive", required_argument, nullptr, optArchive},
        {"no-archive", no_argument, nullptr, optNoArchive},
        {"keep-raw", required_argument, nullptr, optKeepRaw},
    };
    return table;
}

const char* TarchiveOptions::help() const {
    return "      --archive FILE             archive of every sample (default: the data file's\n"
           "                                 name with .sqlite, e.g. samples.sqlite)\n"
           "      --no-archive               keep no archive\n"
           "      --keep-raw DAYS            days the archive keeps every sample (default 31);\n"
           "                                 the minute, hour and day summaries stay for ever\n";
}

bool TarchiveOptions::take(int id, const char* value, std::string& error) {
    const std::string text = value ? value : "";
    switch (id) {
    case optArchive:
        file = text;
        if (!file.empty()) return true;
        error = "--archive: empty file name";
        return false;
    case optNoArchive: on = false; return true;
    default:
        if (!text.empty() && text.size() <= 5 &&
            text.find_first_not_of("0123456789") == std::string::npos && std::stoi(text) >= 1) {
            keepDays = std::stoi(text);
            return true;
        }
        error = "--keep-raw: not a number of days from 1 to 99999: " + text;
        return false;
    }
}

bool TarchiveOptions::finish(std::string& error) {
    if (on || file.empty()) return true;
    error = "--archive and --no-archive: choose one";
    return false;
}

std::string TarchiveOptions::path(const std::string& dataFile) const {
    if (!file.empty()) return file;
    return std::filesystem::path(dataFile).replace_extension(".sqlite").string();
}
