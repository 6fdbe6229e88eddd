#pragma once

#include "logger/OptionGroup.h"

#include <cstdint>
#include <string>
#include <vector>

// The logger's archive options: --archive FILE, --no-archive, --keep-raw DAYS; and the archive's
// own commands instead of measuring: --import FILE..., --export [--from DATE] [--to DATE]
// [--format csv|jsonl] [--level raw|minute|hour|day].
class TarchiveOptions : public TloggerOptionGroup {
public:
    enum : int {
        optArchive = 0x2000,
        optNoArchive,
        optKeepRaw,
        optImport,
        optExport,
        optFrom,
        optTo,
        optFormat,
        optLevel,
    };
    enum class Tcommand { Measure, Import, Export };
    enum class Tformat { Csv, Jsonl };

    const std::vector<option>& longOptions() const override;
    const char* help() const override;
    bool owns(int id) const override { return id >= optArchive && id <= optLevel; }
    bool take(int id, const char* value, std::string& error) override;
    bool finish(std::string& error) override;
    // The words after the options: the files to import after the first; false for any
    // without --import.
    bool takeFiles(char** first, char** last);

    bool enabled() const { return on; }
    // The archive's file: the one given, or the data file's name with ".sqlite" for its
    // extension (samples.dat: samples.sqlite), in its directory; empty when none is given and
    // the data file is no regular file (a device such as /dev/null).
    std::string path(const std::string& dataFile) const;
    int keepRawDays() const { return keepDays; }

    Tcommand command() const { return what; }
    const std::vector<std::string>& importFiles() const { return files; }
    // The exported span [from, to) in calendar seconds; a date alone is its midnight (UTC),
    // and for --to the end of that day.
    std::int64_t from() const { return spanFrom; }
    std::int64_t to() const { return spanTo; }
    Tformat format() const { return exportFormat; }
    int level() const { return exportLevel; } // 0 raw ... 3 day

private:
    bool takeKeepRaw(const std::string& text, std::string& error);
    bool takeExportWord(int id, const std::string& text, std::string& error);

    bool on = true;
    std::string file;
    int keepDays = 31;
    Tcommand what = Tcommand::Measure;
    bool importGiven = false, exportGiven = false;
    std::vector<std::string> files;
    std::vector<std::string> exportOptions; // --from ... --level as given, for "needs --export"
    std::int64_t spanFrom = INT64_MIN, spanTo = INT64_MAX;
    Tformat exportFormat = Tformat::Csv;
    int exportLevel = 0;
};

// An ISO 8601 date (2026-03-01), or date and time (2026-03-01T06:30, 2026-03-01T06:30:15Z,
// "2026-03-01 06:30"), UTC, as calendar seconds; false for anything else. `endOfDay` moves a
// date alone to the next midnight.
bool isoTimeSeconds(const std::string& text, bool endOfDay, std::int64_t& seconds);
// Calendar seconds as ISO 8601 UTC: 2026-03-01T06:30:15Z.
std::string isoTimeText(std::int64_t seconds);
