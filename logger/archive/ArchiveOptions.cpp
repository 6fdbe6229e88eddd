#include "logger/archive/ArchiveOptions.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace {

const char* const LevelNames[] = {"raw", "minute", "hour", "day"};

} // namespace

bool isoTimeSeconds(const std::string& text, bool endOfDay, std::int64_t& seconds) {
    std::tm t{};
    int used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &t.tm_year, &t.tm_mon, &t.tm_mday, &used) != 3 ||
        used != 10)
        return false;
    const std::string rest = text.substr(10);
    int more = 0;
    const bool dateOnly = rest.empty();
    if (!dateOnly) {
        const int n = std::sscanf(rest.c_str(), "%*1[T ]%2d:%2d%n:%2d%n", &t.tm_hour, &t.tm_min,
                                  &more, &t.tm_sec, &more);
        if (n < 2 ||
            (rest.substr(std::size_t(more)) != "" && rest.substr(std::size_t(more)) != "Z"))
            return false;
    }
    if (t.tm_mon < 1 || t.tm_mon > 12 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour > 23 ||
        t.tm_min > 59 || t.tm_sec > 60)
        return false;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    seconds = std::int64_t(timegm(&t)) + (dateOnly && endOfDay ? 86400 : 0);
    return true;
}

std::string isoTimeText(std::int64_t seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

const std::vector<option>& TarchiveOptions::longOptions() const {
    static const std::vector<option> table{
        {"archive", required_argument, nullptr, optArchive},
        {"no-archive", no_argument, nullptr, optNoArchive},
        {"keep-raw", required_argument, nullptr, optKeepRaw},
        {"import", required_argument, nullptr, optImport},
        {"export", no_argument, nullptr, optExport},
        {"from", required_argument, nullptr, optFrom},
        {"to", required_argument, nullptr, optTo},
        {"format", required_argument, nullptr, optFormat},
        {"level", required_argument, nullptr, optLevel},
    };
    return table;
}

const char* TarchiveOptions::help() const {
    return "      --archive FILE             archive of every sample (default: the data file's\n"
           "                                 name with .sqlite, e.g. samples.sqlite)\n"
           "      --no-archive               keep no archive\n"
           "      --keep-raw DAYS            days the archive keeps every sample (default 31);\n"
           "                                 the minute, hour and day summaries stay for ever\n"
           "      --import FILE...           add data files to the archive, then end\n"
           "      --export                   write the archive to standard output, then end:\n"
           "        --from DATE, --to DATE   the span, ISO 8601 in UTC (2026-03-01,\n"
           "                                 2026-03-01T06:30Z; default: all of it)\n"
           "        --format csv|jsonl       CSV (default) or one JSON object a line\n"
           "        --level raw|minute|hour|day  every sample (default) or the summaries\n";
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
    case optKeepRaw: return takeKeepRaw(text, error);
    case optImport:
        importGiven = true;
        files.push_back(text);
        return true;
    default: return takeExportWord(id, text, error);
    }
}

bool TarchiveOptions::takeKeepRaw(const std::string& text, std::string& error) {
    if (!text.empty() && text.size() <= 5 &&
        text.find_first_not_of("0123456789") == std::string::npos && std::stoi(text) >= 1) {
        keepDays = std::stoi(text);
        return true;
    }
    error = "--keep-raw: not a number of days from 1 to 99999: " + text;
    return false;
}

bool TarchiveOptions::takeExportWord(int id, const std::string& text, std::string& error) {
    static const char* const names[] = {"--export", "--from", "--to", "--format", "--level"};
    const std::string name = names[id - optExport];
    bool good = true;
    if (id == optExport) {
        exportGiven = true;
        return true;
    }
    exportOptions.push_back(name);
    if (id == optFrom || id == optTo) {
        good = isoTimeSeconds(text, id == optTo, id == optFrom ? spanFrom : spanTo);
    } else if (id == optFormat) {
        good = text == "csv" || text == "jsonl";
        exportFormat = text == "jsonl" ? Tformat::Jsonl : Tformat::Csv;
    } else {
        exportLevel = -1;
        for (int level = 0; level < 4; ++level)
            if (text == LevelNames[level]) exportLevel = level;
        good = exportLevel >= 0;
    }
    if (!good) error = name + ": cannot use " + text;
    return good;
}

bool TarchiveOptions::takeFiles(char** first, char** last) {
    if (!importGiven) return false;
    files.insert(files.end(), first, last);
    return true;
}

bool TarchiveOptions::finish(std::string& error) {
    if (!on && !file.empty())
        error = "--archive and --no-archive: choose one";
    else if (importGiven && exportGiven)
        error = "--import and --export: choose one";
    else if (!on && (importGiven || exportGiven))
        error = "--no-archive: no archive to import into or export from";
    else if (!exportGiven && !exportOptions.empty())
        error = exportOptions.front() + ": needs --export";
    else if (spanTo <= spanFrom)
        error = "--to: not after --from";
    what = importGiven ? Tcommand::Import : exportGiven ? Tcommand::Export : Tcommand::Measure;
    return error.empty();
}

std::string TarchiveOptions::path(const std::string& dataFile) const {
    if (!file.empty()) return file;
    std::error_code ignored;
    const std::filesystem::file_status data = std::filesystem::status(dataFile, ignored);
    if (std::filesystem::exists(data) && !std::filesystem::is_regular_file(data)) return {};
    return std::filesystem::path(dataFile).replace_extension(".sqlite").string();
}
